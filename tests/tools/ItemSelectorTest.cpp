#include <gtest/gtest.h>

#include "CameraItemTable.h"
#include "CharText.h"
#include "Edition.h"
#include "ItemSelector.h"

namespace tavin::ctl {
namespace {

TEST(FindItem, ByIndexOrByLabelInAnyCase) {
    const struct {
        const char* text;
        int index;
    } cases[] = {
        {"0", 0},           {"44", 44},
        {"9", 9},           {"GAIN (FINE)", 9},
        {"gain (fine)", 9}, {"Agc Gain Min Level", 44},
        {"hd reset", 28},   {"c-y matrix (gb-y, r-g(+))", 36},
    };
    for (const auto& c : cases) {
        const ItemResult r = FindItem(c.text);
        EXPECT_EQ(r.index, c.index) << c.text << ": " << r.error;
        EXPECT_TRUE(r.error.empty()) << c.text;
    }
}

TEST(FindItem, LabelsFollowTheRunningProgram) {
    ScopedEdition tavin(kTavinEdition);
    EXPECT_EQ(FindItem("vrg (rough)").index, 28);
    EXPECT_FALSE(FindItem("hd reset").error.empty());
}

TEST(FindItem, RefusesWhatNamesNoSingleCameraItem) {
    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        {"46", "there is no item 46"},
        {"1000000000000000000000", "there is no item"},
        {"menu", "(7, 8)"},
        {"V-BINNING", "(5, 6)"},
        {"partialscan on/off", "(15, 16, 17"},
        {"45", "neither read from nor written"},
        {"(reserved)", "neither read from nor written"},
        {"", "no item is labelled ''"},
        {"-1", "no item is labelled '-1'"},
        {"GAIN", "no item is labelled 'GAIN'"},
    };
    for (const auto& c : cases) {
        const ItemResult r = FindItem(c.text);
        EXPECT_EQ(r.index, -1) << c.text;
        EXPECT_NE(r.error.find(c.error), std::string::npos) << c.text << " gave: " << r.error;
    }
}

TEST(ItemValue, NumbersInsideTheProgramRange) {
    const struct {
        int index;
        const char* text;
        int32_t value;
    } cases[] = {
        {9, "0", 0},      {9, "50", 50}, {9, "0x32", 50},    {9, "+7", 7},
        {36, "510", 510}, {36, "0", 0},  {40, "1023", 1023}, {44, "1023", 1023},
    };
    for (const auto& c : cases) {
        const ValueResult r = ParseItemValue(c.index, c.text, false);
        EXPECT_TRUE(r.error.empty()) << c.index << "=" << c.text << ": " << r.error;
        EXPECT_EQ(r.value, c.value) << c.index << "=" << c.text;
    }
}

TEST(ItemValue, OutsideTheRangeIsRefusedUnlessForced) {
    const struct {
        int index;
        const char* text;
        const char* range;
    } cases[] = {
        {9, "51", "(0 to 50)"},      {9, "-1", "(0 to 50)"},
        {36, "511", "(0 to 510)"},  // camera-form bounds of this item are 0x1FF and 0x0FF
        {40, "1024", "(0 to 1023)"}, {0, "2", "(0 to 1)"},
    };
    for (const auto& c : cases) {
        const ValueResult refused = ParseItemValue(c.index, c.text, false);
        EXPECT_NE(refused.error.find(c.range), std::string::npos)
            << c.index << "=" << c.text << " gave: " << refused.error;
        EXPECT_NE(refused.error.find("--force"), std::string::npos);
        const ValueResult forced = ParseItemValue(c.index, c.text, true);
        EXPECT_TRUE(forced.error.empty()) << forced.error;
    }
}

TEST(ItemValue, WhatIsNoNumberIsRefusedEvenWhenForced) {
    for (const char* text : {"", "abc", "12x", "0x", "--3", "4294967296", "1.5"}) {
        EXPECT_FALSE(ParseItemValue(9, text, true).error.empty()) << text;
    }
}

TEST(ItemValue, CharacterItemsTakeTwoCharactersTheCameraCanShow) {
    const struct {
        const char* text;
        int32_t value;
    } accepted[] = {
        {"AB", 0x4142},
        {"ab", 0x6162},  // the camera shows capitals; the check accepts them
        {"09", 0x3039},  // two digits are characters here, not a number
        {"~~", 0x7E7E},
        {"0x4142", 0x4142},
        {"\xEF\xBD\xB1 ", 0xB120},  // half-width katakana a (U+FF71) and a space
    };
    for (const auto& c : accepted) {
        const ValueResult r = ParseItemValue(16, c.text, false);
        EXPECT_TRUE(r.error.empty()) << c.text << ": " << r.error;
        EXPECT_EQ(r.value, c.value) << c.text;
    }
    for (const char* text : {"A", "ABC", "A@", "0x4140", "\xC3\xA9Z"}) {
        EXPECT_FALSE(ParseItemValue(27, text, false).error.empty()) << text;
    }
    EXPECT_EQ(ParseItemValue(27, "A@", true).value, 0x4140);
    EXPECT_FALSE(ParseItemValue(27, "0x10000", true).error.empty());
}

TEST(ItemValue, ShownAsNumberOrQuotedCharacters) {
    EXPECT_EQ(ProgramValueText(9, 25), "25");
    EXPECT_EQ(ProgramValueText(16, 0x7E7E), "\"~~\"");
    EXPECT_EQ(ProgramValueText(16, 0xB1DF), "\"\xEF\xBD\xB1\xEF\xBE\x9F\"");
    EXPECT_EQ(DescribeItem(9), "9 GAIN (FINE)");
    EXPECT_EQ(DescribeItem(14), "14");
}

TEST(CharText, KatakanaRoundTripThroughUtf8) {
    for (int ch = 0xA1; ch <= 0xDF; ++ch) {
        const std::string utf8 = HostCharToUtf8(ch);
        ASSERT_EQ(utf8.size(), 3u) << ch;
        EXPECT_EQ(Utf8ToHostChars(utf8), std::string(1, static_cast<char>(ch))) << ch;
    }
    for (int ch = 0x20; ch < 0x7F; ++ch) {
        EXPECT_EQ(Utf8ToHostChars(HostCharToUtf8(ch)), std::string(1, static_cast<char>(ch)));
    }
}

TEST(CharText, BytesWithoutAHostCharacterAreReplacedOrRefused) {
    EXPECT_EQ(HostCharToUtf8(0x80), "\xEF\xBF\xBD");
    EXPECT_EQ(HostCharToUtf8(0x0A), "\xEF\xBF\xBD");
    for (const char* text : {"\xE3\x81\x82", "\xC3", "\xFF", "\xEF\xBD", "\t"}) {
        EXPECT_FALSE(Utf8ToHostChars(text).has_value()) << ::testing::PrintToString(text);
    }
}

}  // namespace
}  // namespace tavin::ctl
