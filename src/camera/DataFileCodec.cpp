#include "DataFileCodec.h"

#include <optional>

#include "CameraItemStore.h"

namespace tavin {

namespace {

// A cursor over untrusted bytes. Every read checks the remaining length first; an attempt to
// read past the end leaves the reader failed and every later read fails too.
class ByteReader {
  public:
    explicit ByteReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    std::optional<uint32_t> Uint(std::size_t width) {
        if (!Has(width)) {
            return std::nullopt;
        }
        uint32_t value = 0;
        for (std::size_t i = 0; i < width; ++i) {
            value |= static_cast<uint32_t>(bytes_[pos_ + i]) << (8 * i);
        }
        pos_ += width;
        return value;
    }

    // The next `count` bytes without copying them.
    std::optional<std::span<const uint8_t>> Take(uint64_t count) {
        if (!Has(count)) {
            return std::nullopt;
        }
        auto taken = bytes_.subspan(pos_, static_cast<std::size_t>(count));
        pos_ += static_cast<std::size_t>(count);
        return taken;
    }

  private:
    bool Has(uint64_t count) {
        if (failed_ || count > bytes_.size() - pos_) {
            failed_ = true;
            return false;
        }
        return true;
    }

    std::span<const uint8_t> bytes_;
    std::size_t pos_ = 0;
    bool failed_ = false;
};

constexpr uint32_t kWideMarker = 0xFFFE;

// Reads a length prefix (in characters). The 16-bit-character marker is recognised only at
// the start; inside the prefix that follows it, 0xFFFE is an ordinary 16-bit length.
std::optional<uint32_t> ReadLength(ByteReader& in, bool markerAllowed, std::size_t& charSize) {
    const auto length8 = in.Uint(1);
    if (!length8 || *length8 < 0xFF) {
        return length8;
    }
    const auto length16 = in.Uint(2);
    if (!length16) {
        return std::nullopt;
    }
    if (*length16 == kWideMarker && markerAllowed) {
        charSize = 2;
        return ReadLength(in, false, charSize);
    }
    return *length16 < 0xFFFF ? length16 : in.Uint(4);
}

struct HeaderText {
    std::span<const uint8_t> bytes;
    std::size_t charSize;  // 1, or 2 for 16-bit characters (little-endian)
};

// Reads a length-prefixed text; nullopt when the file ends inside the prefix or the text.
std::optional<HeaderText> ReadText(ByteReader& in) {
    std::size_t charSize = 1;
    const auto length = ReadLength(in, true, charSize);
    if (!length) {
        return std::nullopt;
    }
    // At most 2 * 0xFFFFFFFF bytes: no overflow in 64 bits, and nothing is allocated for it.
    const auto text = in.Take(uint64_t{*length} * charSize);
    if (!text) {
        return std::nullopt;
    }
    return HeaderText{*text, charSize};
}

// Case-sensitive, character for character. 16-bit characters are narrowed to 8 bits first;
// our header is plain ASCII, so any character outside ASCII is a mismatch.
bool IsOurHeader(const HeaderText& text) {
    if (text.bytes.size() != kDataFileHeader.size() * text.charSize) {
        return false;
    }
    for (std::size_t i = 0; i < kDataFileHeader.size(); ++i) {
        uint32_t ch = text.bytes[i * text.charSize];
        if (text.charSize == 2) {
            ch |= static_cast<uint32_t>(text.bytes[i * 2 + 1]) << 8;
        }
        if (ch != static_cast<uint8_t>(kDataFileHeader[i])) {
            return false;
        }
    }
    return true;
}

void PutInt32(uint8_t* out, int32_t value) {
    const auto bits = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i) {
        out[i] = static_cast<uint8_t>(bits >> (8 * i));
    }
}

}  // namespace

DataFileBytes EncodeDataFile(const DataFileValues& values) {
    DataFileBytes bytes{};
    bytes[0] = static_cast<uint8_t>(kDataFileHeader.size());
    std::size_t pos = 1;
    for (char ch : kDataFileHeader) {
        bytes[pos++] = static_cast<uint8_t>(ch);
    }
    for (int32_t value : values) {
        PutInt32(&bytes[pos], value);
        pos += 4;
    }
    return bytes;
}

DataFileResult DecodeDataFile(std::span<const uint8_t> bytes) {
    DataFileResult result;
    if (bytes.empty()) {
        result.status = DataFileStatus::Empty;
        return result;
    }
    ByteReader in(bytes);
    const auto header = ReadText(in);
    if (!header) {
        result.status = DataFileStatus::Truncated;
        return result;
    }
    if (!IsOurHeader(*header)) {
        result.status = DataFileStatus::HeaderMismatch;
        return result;
    }
    for (int32_t& value : result.values) {
        const auto bits = in.Uint(4);
        if (!bits) {
            result.status = DataFileStatus::Truncated;
            result.values = {};
            return result;
        }
        value = static_cast<int32_t>(*bits);
    }
    result.status = DataFileStatus::Loaded;
    return result;
}

DataFileBytes SaveDataFile(const CameraItemStore& store) {
    DataFileValues values;
    for (int index = 0; index < kCameraItemCount; ++index) {
        values[index] = store.GetValue(index, true);
    }
    return EncodeDataFile(values);
}

DataFileResult LoadDataFile(std::span<const uint8_t> bytes, CameraItemStore& store) {
    DataFileResult result = DecodeDataFile(bytes);
    if (result.status == DataFileStatus::Loaded) {
        for (int index = 0; index < kCameraItemCount; ++index) {
            store.SetValue(index, result.values[index], true);
        }
    }
    return result;
}

}  // namespace tavin
