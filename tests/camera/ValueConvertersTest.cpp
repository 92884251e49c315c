#include "ValueConverters.h"

#include <gtest/gtest.h>

#include <map>

namespace tavin {
namespace {

// The camera character set, typed from the character table: camera code -> host character.
std::map<int32_t, int32_t> CameraCharacterSet() {
    std::map<int32_t, int32_t> set;
    for (int32_t code = 0x00; code <= 0x09; ++code) {
        set[code] = '0' + code;
    }
    for (int32_t code = 0x0A; code <= 0x23; ++code) {
        set[code] = 'A' + (code - 0x0A);
    }
    for (int32_t code = 0x88; code <= 0xB4; ++code) {
        set[code] = 0xB1 + (code - 0x88);  // katakana a .. n
    }
    const std::pair<int32_t, int32_t> singles[] = {
        {0xC3, 0xAC}, {0xC4, 0xAD}, {0xC5, 0xAE}, {0xC6, 0xAF}, {0xCB, '!'}, {0xCC, '?'},
        {0xCD, '/'},  {0xCF, ' '},  {0xD0, '+'},  {0xD1, '-'},  {0xDC, '&'}, {0xDD, '('},
        {0xDE, ')'},  {0xE1, ':'},  {0xE2, ';'},  {0xE3, '.'},  {0xE4, '~'}, {0xF0, 0xDE},
        {0xF1, 0xDF}, {0xF2, ','},  {0xF3, 0xA6},
    };
    for (auto [code, host] : singles) {
        set[code] = host;
    }
    return set;
}

TEST(CameraCharacterSet, EveryCameraCodeMapsAsTheTableSays) {
    const auto set = CameraCharacterSet();
    EXPECT_EQ(set.size(), 10u + 26u + 45u + 21u);
    for (int32_t code = 0; code <= 0xFF; ++code) {
        const auto row = set.find(code);
        const int32_t expected = row == set.end() ? -1 : row->second;
        EXPECT_EQ(CharFromCameraCode(code), expected) << "camera code " << code;
    }
}

TEST(CameraCharacterSet, EveryHostCharacterMapsAsTheTableSays) {
    std::map<int32_t, int32_t> toCamera;
    for (auto [code, host] : CameraCharacterSet()) {
        toCamera[host] = code;
    }
    for (int32_t ch = 'a'; ch <= 'z'; ++ch) {
        toCamera[ch] = toCamera.at(ch - 'a' + 'A');
    }
    for (int32_t ch = 0; ch <= 0xFF; ++ch) {
        const auto row = toCamera.find(ch);
        const int32_t expected = row == toCamera.end() ? -1 : row->second;
        EXPECT_EQ(CharToCameraCode(ch), expected) << "host character " << ch;
    }
    // Whole integers count: nothing outside a byte is a host character.
    for (int32_t ch : {-1, -0x82, 0x100, 0x130, 0x17E, 0x10041}) {
        EXPECT_EQ(CharToCameraCode(ch), -1) << ch;
    }
}

TEST(TextPair, EveryCameraCharacterBothWaysInBothHalves) {
    for (auto [code, host] : CameraCharacterSet()) {
        const int32_t camera = code * 256 + 0xE4;
        EXPECT_EQ(TextPairFromCamera(camera), host * 256 + '~');
        EXPECT_EQ(TextPairToCamera(host * 256 + '~'), camera);
        EXPECT_EQ(TextPairFromCamera(0x0A00 + code), 'A' * 256 + host);
        EXPECT_EQ(TextPairToCamera('A' * 256 + host), 0x0A00 + code);
    }
}

TEST(TextPair, LowerCaseComesBackAsCapitals) {
    EXPECT_EQ(TextPairToCamera(0x6162), 0x0A0B);
    EXPECT_EQ(TextPairFromCamera(0x0A0B), 0x4142);
    EXPECT_EQ(TextPairFromCamera(TextPairToCamera('z' * 256 + 'q')), 'Z' * 256 + 'Q');
}

TEST(TextPair, UnmappedCharactersAreReplacedPerHalf) {
    EXPECT_EQ(TextPairFromCamera(0x24E4), 0x247E);  // camera 0x24 has no host character
    EXPECT_EQ(TextPairFromCamera(0xE4FF), 0x7E24);
    EXPECT_EQ(TextPairFromCamera(0xCECE), 0x2424);
    EXPECT_EQ(TextPairToCamera(0x4041), 0xCF0A);  // '@' is not a camera character
    EXPECT_EQ(TextPairToCamera(0x41B0), 0x0ACF);  // long vowel mark neither
    EXPECT_EQ(TextPairToCamera(0xA7A1), 0xCFCF);
}

TEST(TextPair, BitsAboveTheTwoCharactersAreIgnored) {
    EXPECT_EQ(TextPairFromCamera(0x7F0A0B), 0x4142);
    EXPECT_EQ(TextPairFromCamera(-1), 0x2424);
    EXPECT_EQ(TextPairToCamera(0x12346162), 0x0A0B);
}

TEST(SignMagnitude, KnownValues) {
    const std::pair<int32_t, int32_t> fromCamera[] = {
        {0x1FF, 0},   {0x101, 254}, {0x100, 255}, {0x000, 255},
        {0x0FF, 510}, {0x114, 235}, {0x2FF, 510}, {0x3FF, 0},  // bits above bit 8 are ignored
    };
    for (auto [camera, level] : fromCamera) {
        EXPECT_EQ(LevelFromSignMag9(camera), level) << camera;
    }
    const std::pair<int32_t, int32_t> toCamera[] = {
        {0, 0x1FF},   {254, 0x101}, {255, 0x000}, {510, 0x0FF},
        {235, 0x114}, {511, 0x100}, {512, 0x1FF},  // only the low 9 bits count
    };
    for (auto [level, camera] : toCamera) {
        EXPECT_EQ(LevelToSignMag9(level), camera) << level;
    }
}

TEST(SignMagnitude, OnlyNegativeZeroChangesOnTheWayBack) {
    for (int32_t camera = 0x000; camera <= 0x1FF; ++camera) {
        const int32_t expected = camera == 0x100 ? 0x000 : camera;
        EXPECT_EQ(LevelToSignMag9(LevelFromSignMag9(camera)), expected) << camera;
    }
    for (int32_t level = 0; level <= 510; ++level) {
        EXPECT_EQ(LevelFromSignMag9(LevelToSignMag9(level)), level) << level;
    }
}

TEST(Split11, KnownValues) {
    EXPECT_EQ(LevelFromSplit11(0x080), 0);
    EXPECT_EQ(LevelFromSplit11(0x7FF), 1023);
    EXPECT_EQ(LevelFromSplit11(0x1F7), 247);
    EXPECT_EQ(LevelFromSplit11(0x2A3), 291);
    EXPECT_EQ(LevelToSplit11(247), 0x1F7);
    EXPECT_EQ(LevelToSplit11(0), 0x080);
    EXPECT_EQ(LevelToSplit11(1023), 0x7FF);
    EXPECT_EQ(LevelToSplit11(1024), 0x080);  // only three bits of level / 128 fit
    // Truncation toward zero: -1 has quotient 0 and remainder -1.
    EXPECT_EQ(LevelToSplit11(-1), 127);
    EXPECT_EQ(LevelToSplit11(-129), 7 * 256 + 127);
}

TEST(Split11, WholeRangeRoundTrips) {
    for (int32_t level = 0; level <= 1023; ++level) {
        const int32_t camera = LevelToSplit11(level);
        EXPECT_EQ(camera & 0x80, 0x80) << level;  // low byte always has bit 7 set
        EXPECT_EQ(camera & ~0x7FF, 0) << level;
        EXPECT_EQ(LevelFromSplit11(camera), level) << level;
    }
    for (int32_t high = 0; high < 8; ++high) {
        for (int32_t low = 0x80; low <= 0xFF; ++low) {
            const int32_t camera = high * 256 + low;
            EXPECT_EQ(LevelToSplit11(LevelFromSplit11(camera)), camera) << camera;
        }
    }
}

}  // namespace
}  // namespace tavin
