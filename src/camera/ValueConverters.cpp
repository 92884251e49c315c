#include "ValueConverters.h"

namespace tavin {

namespace {

constexpr int32_t kUnmappedHostChar = 0x24;    // '$'
constexpr int32_t kUnmappedCameraCode = 0xCF;  // the camera's space

// Camera codes whose host characters are not part of a contiguous run.
struct CharPair {
    int32_t code;
    int32_t host;
};
constexpr CharPair kSingleChars[] = {
    {0xC3, 0xAC}, {0xC4, 0xAD}, {0xC5, 0xAE}, {0xC6, 0xAF},  // small ya, yu, yo, tsu
    {0xCB, 0x21}, {0xCC, 0x3F}, {0xCD, 0x2F}, {0xCF, 0x20},  // ! ? / space
    {0xD0, 0x2B}, {0xD1, 0x2D}, {0xDC, 0x26}, {0xDD, 0x28},  // + - & (
    {0xDE, 0x29}, {0xE1, 0x3A}, {0xE2, 0x3B}, {0xE3, 0x2E},  // ) : ; .
    {0xE4, 0x7E}, {0xF0, 0xDE}, {0xF1, 0xDF}, {0xF2, 0x2C},  // ~ voiced, semi-voiced ,
    {0xF3, 0xA6},                                            // katakana wo
};

int32_t ConvertPair(int32_t value, int32_t (*convert)(int32_t), int32_t unmapped) {
    auto one = [&](int32_t ch) {
        const int32_t converted = convert(ch);
        return converted < 0 ? unmapped : converted;
    };
    return one((value >> 8) & 0xFF) * 256 + one(value & 0xFF);
}

}  // namespace

int32_t LevelFromSignMag9(int32_t camera) {
    const int32_t magnitude = camera & 0xFF;
    return (camera & 0x100) ? 255 - magnitude : 255 + magnitude;
}

int32_t LevelToSignMag9(int32_t level) {
    const int32_t q = level & 0x1FF;
    return q > 254 ? q - 255 : 0x1FF - q;
}

int32_t LevelFromSplit11(int32_t camera) {
    return ((camera >> 8) & 7) * 128 + (camera & 0xFF) - 128;
}

int32_t LevelToSplit11(int32_t level) {
    // Division and remainder truncate toward zero, also for (out-of-range) negative levels.
    return ((level / 128) & 7) * 256 + level % 128 + 128;
}

int32_t CharFromCameraCode(int32_t code) {
    if (code >= 0x00 && code <= 0x09) {
        return code + 0x30;  // digits
    }
    if (code >= 0x0A && code <= 0x23) {
        return code + 0x37;  // capitals
    }
    if (code >= 0x88 && code <= 0xB4) {
        return code + 0x29;  // katakana a .. n
    }
    for (const CharPair& pair : kSingleChars) {
        if (pair.code == code) {
            return pair.host;
        }
    }
    return -1;
}

int32_t CharToCameraCode(int32_t ch) {
    if (ch >= 0x30 && ch <= 0x39) {
        return ch - 0x30;
    }
    if (ch >= 0x41 && ch <= 0x5A) {
        return ch - 0x37;
    }
    if (ch >= 0x61 && ch <= 0x7A) {
        return ch - 0x57;  // lower case takes the capital's code
    }
    if (ch >= 0xB1 && ch <= 0xDD) {
        return ch - 0x29;
    }
    for (const CharPair& pair : kSingleChars) {
        if (pair.host == ch) {
            return pair.code;
        }
    }
    return -1;
}

int32_t TextPairFromCamera(int32_t camera) {
    return ConvertPair(camera, CharFromCameraCode, kUnmappedHostChar);
}

int32_t TextPairToCamera(int32_t text) {
    return ConvertPair(text, CharToCameraCode, kUnmappedCameraCode);
}

}  // namespace tavin
