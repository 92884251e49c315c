#pragma once

#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "ProtocolEngine.h"

namespace tavin::sim::test {

// "02 30 31" -> {0x02, 0x30, 0x31}
inline std::vector<uint8_t> Hex(std::string_view text) {
    std::vector<uint8_t> bytes;
    std::istringstream in{std::string(text)};
    unsigned value;
    while (in >> std::hex >> value) {
        bytes.push_back(static_cast<uint8_t>(value));
    }
    return bytes;
}

// STX, text, ETX and the checksum digits, computed independently of the engine's own helper.
inline std::vector<uint8_t> Frame(std::string_view text) {
    std::string frame = "\x02" + std::string(text) + "\x03";
    unsigned sum = 0;
    for (char c : frame) {
        sum += static_cast<uint8_t>(c);
    }
    const char* digits = "0123456789ABCDEF";
    const unsigned check = 0xFF - (sum & 0xFF);
    frame += digits[check >> 4];
    frame += digits[check & 0xF];
    return {frame.begin(), frame.end()};
}

// Feeds bytes one by one and collects everything the camera answered.
inline std::vector<uint8_t> Feed(ProtocolEngine& engine, const std::vector<uint8_t>& bytes) {
    std::vector<uint8_t> out;
    for (uint8_t b : bytes) {
        const auto answer = engine.OnByte(b);
        out.insert(out.end(), answer.begin(), answer.end());
    }
    return out;
}

inline std::vector<uint8_t> Concat(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

}  // namespace tavin::sim::test
