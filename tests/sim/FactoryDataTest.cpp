#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "CameraSettings.h"
#include "DataFile.h"
#include "FactoryTable.h"

namespace tavin::sim {
namespace {

// The factory settings as a data file saved from an untouched camera lists them, in item order.
const DataFileValues kFactoryFileValues{
    1,      0,      0,      0,      1,      0,      1,      0,      0,      25,     25,     0,
    0,      0,      5,      1,      0xE4E4, 0xE4E4, 0xE4E4, 0xE4E4, 0xE4E4, 0xE4E4, 0xE4E4, 0xE4E4,
    0xE4E4, 0xE4E4, 0xE4E4, 0xE4E4, 1,      25,     0,      25,     100,    17,     81,     41,
    0x114,  0x10B,  0x117,  0x111,  0x1F7,  0x2A3,  229,    31,     0,      0};

std::vector<uint8_t> FileBytes(const DataFileValues& values) {
    const std::string header = "\x17TAVINX Data Version1.00";
    std::vector<uint8_t> bytes(header.begin(), header.end());
    for (int32_t v : values) {
        for (int shift = 0; shift < 32; shift += 8) {
            bytes.push_back(static_cast<uint8_t>(static_cast<uint32_t>(v) >> shift));
        }
    }
    return bytes;
}

TEST(FactoryTable, FactoryValuesMatchAnUntouchedCamerasDataFile) {
    const auto items = FactoryItems(CameraModel::Rs232c);
    ASSERT_EQ(items.size(), size_t{kFactoryItemCount});
    for (int i = 0; i < kFactoryItemCount; ++i) {
        EXPECT_EQ(items[i].factoryValue, kFactoryFileValues[i]) << "item index " << i;
    }
}

TEST(FactoryTable, WidthsLabelsAndGroups) {
    struct Case {
        CommandGroup group;
        uint8_t item;
        int width;
        std::string_view label;
    };
    for (const Case& c :
         {Case{CommandGroup::First, 0x2E, 2, "AGC Gain MIN Level"},
          Case{CommandGroup::First, 0x1A, 1, "IRIS Level"}, Case{CommandGroup::Second, 0x1A, 2, ""},
          Case{CommandGroup::Second, 0x3C, 2, "C-Y Matrix (Gb-y, r-g(+))"},
          Case{CommandGroup::First, 0x1E, 1, "PARTIALSCAN ON/OFF"},
          Case{CommandGroup::First, 0x0B, 1, "HD RESET"}}) {
        const auto item = FindItem(CameraModel::Rs232c, c.group, c.item);
        ASSERT_TRUE(item) << int(c.item);
        EXPECT_EQ(item->width, c.width) << int(c.item);
        EXPECT_EQ(item->label, c.label) << int(c.item);
    }
    EXPECT_FALSE(FindItem(CameraModel::Rs232c, CommandGroup::Second, 0x2E));
    EXPECT_FALSE(FindItem(CameraModel::Rs232c, CommandGroup::None, 0x00));
}

TEST(FactoryTable, CameraLinkModelDiffersOnlyInItem0B) {
    const auto rs = FactoryItems(CameraModel::Rs232c);
    const auto cl = FactoryItems(CameraModel::CameraLink);
    int differing = 0;
    for (int i = 0; i < kFactoryItemCount; ++i) {
        if (rs[i].factoryValue != cl[i].factoryValue || rs[i].label != cl[i].label) {
            ++differing;
            EXPECT_EQ(cl[i].itemNumber, 0x0B);
        }
    }
    EXPECT_EQ(differing, 1);
    EXPECT_EQ(CameraSettings(CameraModel::CameraLink).LabelOf(CommandGroup::First, 0x0B),
              "VRG (Rough)");
    EXPECT_EQ(CameraSettings(CameraModel::CameraLink).Get(CommandGroup::First, 0x0B), 0);
}

TEST(DataFile, LoadsEveryValueIntoItsGroupAndItem) {
    DataFileValues values = kFactoryFileValues;
    values[36] = 0x1FF;
    values[44] = 1023;
    values[45] = 77;  // the placeholder slot goes nowhere
    CameraSettings settings;
    settings.Load(ParseDataFile(FileBytes(values)));
    EXPECT_EQ(settings.Get(CommandGroup::Second, 0x3C), 0x1FF);
    EXPECT_EQ(settings.Get(CommandGroup::First, 0x2E), 1023);
    EXPECT_EQ(settings.Get(CommandGroup::Second, 0x19), 0x1F7);
    EXPECT_EQ(settings.Get(CommandGroup::None, 0x00), 0);
}

TEST(DataFile, NegativeValuesSurviveAsSignedLittleEndian) {
    DataFileValues values = kFactoryFileValues;
    values[0] = -2;
    EXPECT_EQ(ParseDataFile(FileBytes(values))[0], -2);
}

TEST(DataFile, RefusesBrokenFilesSayingWhy) {
    auto wrongHeader = FileBytes(kFactoryFileValues);
    wrongHeader[23] = '1';
    auto truncated = FileBytes(kFactoryFileValues);
    truncated.resize(24 + 4 * 10 + 2);
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        const char* message;
    };
    for (const Case& c : {Case{"empty", {}, "empty"},
                          Case{"header differs in its last character", wrongHeader, "header"},
                          Case{"length byte only", {0x17}, "header"},
                          Case{"ends inside the values", truncated, "after 10 of 46 values"}}) {
        SCOPED_TRACE(c.what);
        try {
            ParseDataFile(c.bytes);
            ADD_FAILURE() << "accepted";
        } catch (const DataFileError& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
        }
    }
}

TEST(DataFile, ReadsFromDiskAndNamesAMissingFile) {
    const auto path = std::filesystem::temp_directory_path() /
                      ("camsim-test-" + std::to_string(::getpid()) + ".tvn");
    {
        const auto bytes = FileBytes(kFactoryFileValues);
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    EXPECT_EQ(ReadDataFile(path), kFactoryFileValues);
    std::filesystem::remove(path);
    try {
        ReadDataFile(path);
        ADD_FAILURE() << "read a missing file";
    } catch (const DataFileError& e) {
        EXPECT_NE(std::string(e.what()).find(path.string()), std::string::npos);
    }
}

}  // namespace
}  // namespace tavin::sim
