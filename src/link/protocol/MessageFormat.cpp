// The camera's message format: command text, value byte order, checksum and hex digits.
#include <cstdio>

#include "CameraProtocol.h"

namespace tavin {

bool CameraProtocol::IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

char* CameraProtocol::BuildCommand(char* out, int32_t header1, int32_t header2, int32_t command,
                                   int32_t item, int32_t minValue, int32_t maxValue,
                                   int32_t value) {
    std::snprintf(out, 9, "%02X%02X%02X%02X", static_cast<unsigned>(header1 & 0xFF),
                  static_cast<unsigned>(header2 & 0xFF), static_cast<unsigned>(command & 0xFF),
                  static_cast<unsigned>(item & 0xFF));
    int32_t wire = ReorderValue(command, minValue, maxValue, value);
    for (int i = 0; i < 3; ++i) {
        std::snprintf(out + 8 + 2 * i, 3, "%02X", static_cast<unsigned>(wire & 0xFF));
        wire /= 256;
    }
    return out;
}

int32_t CameraProtocol::ReorderValue(int32_t command, int32_t minValue, int32_t maxValue,
                                     int32_t value) {
    const uint32_t op = static_cast<uint32_t>(command) & 0xFF;
    if (op != 0x01 && op != 0x03) {
        return value;
    }
    const uint32_t range = static_cast<uint32_t>(minValue) | static_cast<uint32_t>(maxValue);
    const uint32_t v = static_cast<uint32_t>(value);
    if ((range & 0xFF0000) != 0) {
        return static_cast<int32_t>(((v & 0xFF) << 16) | (v & 0xFF00) | ((v >> 16) & 0xFF));
    }
    if ((range & 0xFF00) != 0) {
        return static_cast<int32_t>(((v & 0xFF) << 8) | ((v >> 8) & 0xFF));
    }
    return value;
}

int32_t CameraProtocol::Checksum(const uint8_t* bytes, int32_t length) {
    uint32_t sum = 0;
    for (int32_t i = 0; i < length; ++i) {
        sum += bytes[i];
    }
    return static_cast<int32_t>(~sum & 0xFF);
}

uint32_t CameraProtocol::HexValue(const char* chars, int32_t count) {
    uint32_t value = 0;
    for (int32_t i = 0; i < count; ++i) {
        const unsigned char c = static_cast<unsigned char>(chars[i]);
        const uint32_t digit =
            (c >= '0' && c <= '9')
                ? c - '0'
                : static_cast<uint32_t>((c >= 'a' && c <= 'z' ? c - 32 : c) - 55);
        value = value * 16 + digit;
    }
    return value;
}

}  // namespace tavin
