#include "DataFile.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace tavin::sim {

namespace {

constexpr std::string_view kHeader = "TAVINX Data Version1.00";
constexpr size_t kValuesOffset = 1 + kHeader.size();
constexpr size_t kFileSize = kValuesOffset + 4 * kFactoryItemCount;

}  // namespace

DataFileValues ParseDataFile(std::span<const uint8_t> bytes) {
    if (bytes.empty()) {
        throw DataFileError("the file is empty");
    }
    if (bytes[0] != kHeader.size() || bytes.size() < kValuesOffset ||
        std::string_view(reinterpret_cast<const char*>(bytes.data()) + 1, kHeader.size()) !=
            kHeader) {
        throw DataFileError("not a settings data file (its header is not \"" +
                            std::string(kHeader) + "\")");
    }
    if (bytes.size() < kFileSize) {
        const size_t complete = (bytes.size() - kValuesOffset) / 4;
        throw DataFileError("the file ends after " + std::to_string(complete) + " of " +
                            std::to_string(kFactoryItemCount) + " values");
    }
    DataFileValues values{};
    for (int i = 0; i < kFactoryItemCount; ++i) {
        const uint8_t* p = bytes.data() + kValuesOffset + 4 * i;
        const uint32_t raw =
            uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
        values[i] = static_cast<int32_t>(raw);
    }
    return values;
}

DataFileValues ReadDataFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw DataFileError("cannot open " + path.string() + ": " + std::strerror(errno));
    }
    // Whatever follows the values is ignored, so reading stops there (also on an endless device).
    std::vector<uint8_t> bytes(kFileSize);
    in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size()));
    bytes.resize(size_t(in.gcount()));
    try {
        return ParseDataFile(bytes);
    } catch (const DataFileError& e) {
        throw DataFileError(path.string() + ": " + e.what());
    }
}

}  // namespace tavin::sim
