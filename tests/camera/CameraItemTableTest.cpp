#include "CameraItemTable.h"

#include <gtest/gtest.h>

#include "Edition.h"

namespace tavin {
namespace {

enum Conv { kNone, kText, kSignMag, kSplit };

struct Row {
    int flags, read, write, item, def, min, max;
    Conv conv;
    unsigned label;
    const char* text;
};

// The full build's table, typed from the item table.
constexpr Row kRows[kCameraItemCount] = {
    {3, 0x03, 0x01, 0x06, 1, 0, 1, kNone, 62200, "FD"},
    {3, 0x03, 0x01, 0x08, 0, 0, 8, kNone, 62201, "SHUTTER MODE"},
    {3, 0x03, 0x01, 0x04, 0, 0, 3, kNone, 62202, "MODE"},
    {3, 0x03, 0x01, 0x05, 0, 0, 1, kNone, 62203, "TRIGGER"},
    {3, 0x03, 0x01, 0x0E, 1, 0, 3, kNone, 62204, "TORIKOMI"},
    {3, 0x03, 0x01, 0x1C, 0, 0, 8, kNone, 62205, "V-BINNING"},
    {3, 0x03, 0x01, 0x1B, 1, 0, 1, kNone, 62205, "V-BINNING"},
    {3, 0x03, 0x01, 0x2B, 0, 0, 4, kNone, 62206, "MENU"},
    {3, 0x03, 0x01, 0x2A, 0, 0, 2, kNone, 62206, "MENU"},
    {3, 0x03, 0x01, 0x18, 25, 0, 50, kNone, 62207, "GAIN (FINE)"},
    {3, 0x03, 0x01, 0x17, 25, 0, 50, kNone, 62208, "BLACK LEVEL"},
    {3, 0x03, 0x01, 0x0C, 0, 0, 7, kNone, 62209, "GAIN (ROUGH)"},
    {3, 0x03, 0x01, 0x2C, 0, 0, 2, kNone, 62210, "ZOOM"},
    {3, 0x03, 0x01, 0x2D, 0, 0, 3, kNone, 62211, "FOCUS"},
    {3, 0x03, 0x01, 0x19, 5, 0, 26, kNone, 62212, ""},
    {3, 0x03, 0x01, 0x15, 1, 0, 2, kNone, 62213, "PARTIALSCAN ON/OFF"},
    {3, 0x03, 0x01, 0x1E, 0xE4E4, 0, 0, kText, 62213, "PARTIALSCAN ON/OFF"},
    {3, 0x03, 0x01, 0x1F, 0xE4E4, 0, 0, kText, 62213, "PARTIALSCAN ON/OFF"},
    {3, 0x03, 0x01, 0x20, 0xE4E4, 0, 0, kText, 62213, "PARTIALSCAN ON/OFF"},
    {3, 0x03, 0x01, 0x21, 0xE4E4, 0, 0, kText, 62213, "PARTIALSCAN ON/OFF"},
    {3, 0x03, 0x01, 0x22, 0xE4E4, 0, 0, kText, 62213, "PARTIALSCAN ON/OFF"},
    {3, 0x03, 0x01, 0x23, 0xE4E4, 0, 0, kText, 62213, "PARTIALSCAN ON/OFF"},
    {3, 0x03, 0x01, 0x24, 0xE4E4, 0, 0, kText, 62213, "PARTIALSCAN ON/OFF"},
    {3, 0x03, 0x01, 0x25, 0xE4E4, 0, 0, kText, 62213, "PARTIALSCAN ON/OFF"},
    {3, 0x03, 0x01, 0x26, 0xE4E4, 0, 0, kText, 62213, "PARTIALSCAN ON/OFF"},
    {3, 0x03, 0x01, 0x27, 0xE4E4, 0, 0, kText, 62213, "PARTIALSCAN ON/OFF"},
    {3, 0x03, 0x01, 0x28, 0xE4E4, 0, 0, kText, 62213, "PARTIALSCAN ON/OFF"},
    {3, 0x03, 0x01, 0x29, 0xE4E4, 0, 0, kText, 62213, "PARTIALSCAN ON/OFF"},
    {3, 0x03, 0x01, 0x0B, 1, 0, 1, kNone, 62232, "HD RESET"},
    {3, 0x03, 0x01, 0x01, 25, 0, 50, kNone, 62215, "VRG(FINE)"},
    {3, 0x03, 0x01, 0x0A, 0, 0, 19, kNone, 62216, "VSUB (Rough)"},
    {3, 0x03, 0x01, 0x16, 25, 0, 50, kNone, 62217, "VSUB (Fine)"},
    {3, 0x03, 0x01, 0x1A, 100, 0, 255, kNone, 62218, "IRIS Level"},
    {3, 0x04, 0x02, 0x31, 17, 0, 255, kNone, 62219, "Pedestal Level"},
    {3, 0x04, 0x02, 0x3A, 81, 0, 255, kNone, 62220, "C-Y Matrix (Gr-y, r-g)"},
    {3, 0x04, 0x02, 0x3B, 41, 0, 255, kNone, 62221, "C-Y Matrix (Gb-y, b-g)"},
    {3, 0x04, 0x02, 0x3C, 0x114, 0x1FF, 0x0FF, kSignMag, 62222, "C-Y Matrix (Gb-y, r-g(+))"},
    {3, 0x04, 0x02, 0x3D, 0x10B, 0x1FF, 0x0FF, kSignMag, 62223, "C-Y Matrix (Gb-y, r-g(-))"},
    {3, 0x04, 0x02, 0x3E, 0x117, 0x1FF, 0x0FF, kSignMag, 62224, "C-Y Matrix (Gr-y, b-g(+))"},
    {3, 0x04, 0x02, 0x3F, 0x111, 0x1FF, 0x0FF, kSignMag, 62225, "C-Y Matrix (Gr-y, b-g(-))"},
    {3, 0x04, 0x02, 0x19, 0x1F7, 0x080, 0x7FF, kSplit, 62226, ""},
    {3, 0x04, 0x02, 0x1A, 0x2A3, 0x080, 0x7FF, kSplit, 62227, ""},
    {3, 0x04, 0x02, 0x34, 229, 0, 255, kNone, 62228, "W. Clip Level(Y)"},
    {3, 0x04, 0x02, 0x1F, 31, 0, 31, kNone, 62229, "W. Clip Level(C)"},
    {3, 0x03, 0x01, 0x2E, 0, 0, 1023, kNone, 62230, "AGC Gain MIN Level"},
    {0, 0x00, 0x00, 0x00, 0, 0, 0, kNone, 62231, "(Reserved)"},
};

constexpr Row kCameraLinkRow28 = {3, 0x03, 0x01, 0x0B, 0, 0, 6, kNone, 62214, "VRG (Rough)"};

void ExpectRow(int index, const Row& want) {
    SCOPED_TRACE("index " + std::to_string(index));
    const CameraItemDef& def = GetItemDef(index);
    EXPECT_EQ(def.flags, want.flags);
    EXPECT_EQ(def.readCommand, want.read);
    EXPECT_EQ(def.writeCommand, want.write);
    EXPECT_EQ(def.itemNumber, want.item);
    EXPECT_EQ(def.defaultValue, want.def);
    EXPECT_EQ(def.minValue, want.min);
    EXPECT_EQ(def.maxValue, want.max);
    EXPECT_EQ(def.labelId, want.label);
    EXPECT_EQ(GetLabel(index), want.text);
    const std::pair<ValueConverter, ValueConverter> pairs[] = {
        {nullptr, nullptr},
        {TextPairFromCamera, TextPairToCamera},
        {LevelFromSignMag9, LevelToSignMag9},
        {LevelFromSplit11, LevelToSplit11},
    };
    EXPECT_EQ(def.fromCamera, pairs[want.conv].first);
    EXPECT_EQ(def.toCamera, pairs[want.conv].second);
    // The accessors read the same row.
    EXPECT_EQ(GetDefault(index, false), want.def);
    EXPECT_EQ(GetMin(index, false), want.min);
    EXPECT_EQ(GetMax(index, false), want.max);
}

TEST(CameraItemTable, FullBuildMatchesEveryRow) {
    ScopedEdition edition(kMorva7EEdition);
    for (int index = 0; index < kCameraItemCount; ++index) {
        ExpectRow(index, kRows[index]);
    }
}

TEST(CameraItemTable, CameraLinkBuildDiffersOnlyInRow28) {
    ScopedEdition edition(kTavinEdition);
    for (int index = 0; index < kCameraItemCount; ++index) {
        ExpectRow(index, index == 28 ? kCameraLinkRow28 : kRows[index]);
    }
}

TEST(CameraItemTable, ProgramFormBoundsAndDefaults) {
    struct Case {
        int index, def, min, max;
    };
    const Case cases[] = {
        {36, 235, 0, 510},
        {37, 244, 0, 510},
        {38, 232, 0, 510},
        {39, 238, 0, 510},
        {40, 247, 0, 1023},
        {41, 291, 0, 1023},
        {16, 0x7E7E, 0x3030, 0x3030},
        {27, 0x7E7E, 0x3030, 0x3030},
        {9, 25, 0, 50},
        {44, 0, 0, 1023},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(GetDefault(c.index, true), c.def) << c.index;
        EXPECT_EQ(GetMin(c.index, true), c.min) << c.index;
        EXPECT_EQ(GetMax(c.index, true), c.max) << c.index;
    }
    EXPECT_EQ(GetMin(36, false), 511);
    EXPECT_EQ(GetMax(36, false), 255);
}

TEST(CameraItemTable, ConvertersApplyPerRow) {
    EXPECT_EQ(FromCamera(36, 0x100), 255);
    EXPECT_EQ(ToCamera(36, 255), 0x000);
    EXPECT_EQ(FromCamera(40, 0x1F7), 247);
    EXPECT_EQ(ToCamera(41, 291), 0x2A3);
    EXPECT_EQ(FromCamera(20, 0x0A0B), 0x4142);
    EXPECT_EQ(ToCamera(20, 0x6162), 0x0A0B);
    // Rows without converters pass any value through, even out of range.
    for (int index : {0, 9, 33, 44, 45}) {
        for (int32_t value : {-7, 0, 0x100, 0x7FFFFFFF}) {
            EXPECT_EQ(FromCamera(index, value), value);
            EXPECT_EQ(ToCamera(index, value), value);
        }
    }
}

TEST(CameraItemTable, IsCameraChar) {
    EXPECT_TRUE(IsCameraChar(0x7E));
    EXPECT_TRUE(IsCameraChar('a'));
    EXPECT_TRUE(IsCameraChar(0xA6));
    EXPECT_FALSE(IsCameraChar(0xB0));
    EXPECT_FALSE(IsCameraChar(0x141));  // 'A' + 0x100: not truncated to 8 bits
    EXPECT_FALSE(IsCameraChar(-1));
    EXPECT_FALSE(IsCameraChar('@'));
}

}  // namespace
}  // namespace tavin
