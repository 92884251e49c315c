#include "CameraItemStore.h"

#include <gtest/gtest.h>

#include "Edition.h"

namespace tavin {
namespace {

TEST(CameraItemStore, StartsAtTheProgramFormDefaults) {
    const CameraItemStore store;
    EXPECT_EQ(store.GetValue(36, false), 235);
    EXPECT_EQ(store.GetValue(40, false), 247);
    EXPECT_EQ(store.GetValue(16, false), 0x7E7E);
    for (int index = 0; index < kCameraItemCount; ++index) {
        EXPECT_EQ(store.GetValue(index, true), GetDefault(index, false)) << index;
    }
}

TEST(CameraItemStore, DefaultsFollowTheEdition) {
    {
        ScopedEdition edition(kMorva7EEdition);
        EXPECT_EQ(CameraItemStore().GetValue(28, false), 1);
    }
    ScopedEdition edition(kTavinEdition);
    EXPECT_EQ(CameraItemStore().GetValue(28, false), 0);
}

TEST(CameraItemStore, SetValueReportsWhetherTheValueChanged) {
    CameraItemStore store;
    EXPECT_EQ(store.SetValue(9, 25, false), 0);
    EXPECT_EQ(store.SetValue(9, 26, false), 1);
    EXPECT_EQ(store.SetValue(9, 26, false), 0);
    EXPECT_EQ(store.GetValue(9, false), 26);
    // Out of range is stored unchanged.
    EXPECT_EQ(store.SetValue(9, 5000, false), 1);
    EXPECT_EQ(store.GetValue(9, false), 5000);
    EXPECT_EQ(store.SetValue(11, -3, false), 1);
    EXPECT_EQ(store.GetValue(11, true), -3);
}

TEST(CameraItemStore, ConvertsOnTheWayInAndOut) {
    CameraItemStore store;
    // Camera 0x100 (negative zero) is the program's 255, and 0x000 goes back out.
    EXPECT_EQ(store.SetValue(36, 0x100, true), 1);
    EXPECT_EQ(store.GetValue(36, false), 255);
    EXPECT_EQ(store.GetValue(36, true), 0x000);
    EXPECT_EQ(store.SetValue(36, 0x000, true), 0);  // same program value
    EXPECT_EQ(store.SetValue(16, 0x0A0B, true), 1);
    EXPECT_EQ(store.GetValue(16, false), 0x4142);
    EXPECT_EQ(store.SetValue(16, 0x6162, false), 1);  // program form stored as given
    EXPECT_EQ(store.GetValue(16, true), 0x0A0B);
}

TEST(CameraItemStore, ResetItemRestoresTheDefault) {
    CameraItemStore store;
    store.SetValue(41, 12, false);
    EXPECT_EQ(store.ResetItem(41), 291);
    EXPECT_EQ(store.GetValue(41, false), 291);
}

}  // namespace
}  // namespace tavin
