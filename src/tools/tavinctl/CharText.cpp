#include "CharText.h"

namespace tavin::ctl {

namespace {

constexpr int32_t kKatakanaFirstByte = 0xA1;
constexpr int32_t kKatakanaLastByte = 0xDF;
constexpr char32_t kKatakanaFirstCode = 0xFF61;

void AppendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// The next code point of `text` at `pos`, advancing it; nothing for malformed UTF-8.
std::optional<char32_t> NextCodePoint(std::string_view text, size_t& pos) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(pos);
    size_t length = 0;
    char32_t code = 0;
    if (lead < 0x80) {
        ++pos;
        return lead;
    }
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        code = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        code = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        code = lead & 0x07;
    } else {
        return std::nullopt;
    }
    if (pos + length > text.size()) {
        return std::nullopt;
    }
    for (size_t i = 1; i < length; ++i) {
        if ((byte(pos + i) & 0xC0) != 0x80) {
            return std::nullopt;
        }
        code = (code << 6) | (byte(pos + i) & 0x3F);
    }
    pos += length;
    return code;
}

}  // namespace

std::string HostCharToUtf8(int32_t ch) {
    std::string out;
    if (ch >= 0x20 && ch < 0x7F) {
        out += static_cast<char>(ch);
    } else if (ch >= kKatakanaFirstByte && ch <= kKatakanaLastByte) {
        AppendUtf8(out, kKatakanaFirstCode + static_cast<char32_t>(ch - kKatakanaFirstByte));
    } else {
        AppendUtf8(out, 0xFFFD);
    }
    return out;
}

std::string PairToUtf8(int32_t pair) {
    return HostCharToUtf8((pair >> 8) & 0xFF) + HostCharToUtf8(pair & 0xFF);
}

std::optional<std::string> Utf8ToHostChars(std::string_view text) {
    std::string out;
    for (size_t pos = 0; pos < text.size();) {
        const std::optional<char32_t> code = NextCodePoint(text, pos);
        if (!code) {
            return std::nullopt;
        }
        if (*code >= 0x20 && *code < 0x7F) {
            out += static_cast<char>(*code);
        } else if (*code >= kKatakanaFirstCode &&
                   *code <= kKatakanaFirstCode + (kKatakanaLastByte - kKatakanaFirstByte)) {
            out += static_cast<char>(kKatakanaFirstByte + (*code - kKatakanaFirstCode));
        } else {
            return std::nullopt;
        }
    }
    return out;
}

}  // namespace tavin::ctl
