#include "CameraItemTable.h"

#include <gtest/gtest.h>

#include "Edition.h"
#include "FactoryTable.h"

namespace tavin {
namespace {

// The host's table against the simulated camera's, which is typed in separately on purpose:
// every row addresses the same item with the same factory value, bounds and label, in both
// programs (they differ in row 28).
TEST(CameraItemTable, AgreesWithTheSimulatedCamerasOwnTable) {
    const std::pair<const Edition*, sim::CameraModel> programs[] = {
        {&kMorva7EEdition, sim::CameraModel::Rs232c},
        {&kTavinEdition, sim::CameraModel::CameraLink}};
    for (const auto& [edition, model] : programs) {
        ScopedEdition scoped(*edition);
        const auto items = sim::FactoryItems(model);
        for (int index = 0; index < kCameraItemCount; ++index) {
            SCOPED_TRACE(std::string(edition->programName) + " index " + std::to_string(index));
            const CameraItemDef& def = GetItemDef(index);
            const sim::FactoryItem& item = items[static_cast<size_t>(index)];
            const int group = static_cast<int>(item.group);  // 0 for the reserved slot
            EXPECT_EQ(def.flags, group == 0 ? 0 : 3);
            EXPECT_EQ(def.writeCommand, group);
            EXPECT_EQ(def.readCommand, group == 0 ? 0 : group + 2);
            EXPECT_EQ(def.itemNumber, item.itemNumber);
            EXPECT_EQ(GetDefault(index, false), item.factoryValue);
            EXPECT_EQ(GetMin(index, false), item.minValue);
            EXPECT_EQ(GetMax(index, false), item.maxValue);
            EXPECT_EQ(GetLabel(index), item.label);
            // Text pairs, then the sign-magnitude and split levels, carry converters.
            const bool text = index >= 16 && index <= 27;
            const bool signMag = index >= 36 && index <= 39;
            const bool split = index == 40 || index == 41;
            EXPECT_EQ(def.fromCamera, text      ? TextPairFromCamera
                                      : signMag ? LevelFromSignMag9
                                      : split   ? LevelFromSplit11
                                                : nullptr);
            EXPECT_EQ(def.toCamera, text      ? TextPairToCamera
                                    : signMag ? LevelToSignMag9
                                    : split   ? LevelToSplit11
                                              : nullptr);
        }
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
