#include "CommStatus.h"

#include <gtest/gtest.h>

namespace tavin {
namespace {

TEST(CommStatusTest, KeepStatusLeavesTheStoredCode) {
    CommStatus status;
    EXPECT_EQ(status.SetStatus(CommStatus::kKeepStatus), 0);  // reads as success on a new record
    EXPECT_EQ(status.GetStatus(), 0);
    EXPECT_EQ(status.SetStatus(5), -5);
    EXPECT_EQ(status.SetStatus(CommStatus::kKeepStatus), -5);
    EXPECT_EQ(status.GetStatus(), 5);
    EXPECT_EQ(status.SetStatus(0), 0);
    EXPECT_EQ(status.GetStatus(), 0);
}

struct TextCase {
    int32_t code;
    const char* text;
};

class StatusTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(StatusTextTest, FramesTheMessage) {
    CommStatus status;
    status.SetStatus(GetParam().code);
    EXPECT_EQ(status.GetStatusText(), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, StatusTextTest,
    ::testing::Values(
        TextCase{0, "ERROR - OK, No error present!"},
        TextCase{3, "ERROR - Communication port not opened."},
        TextCase{4, "ERROR - Can not open communciation port."},
        TextCase{5, "ERROR - Communication time out detected.\nCheck the connection."},
        TextCase{6,
                 "ERROR - Bad chacter size specified in sending/receiving data to the camera "
                 "unit."},
        TextCase{19, "ERROR - Paper empty."},
        TextCase{25, "ERROR - Check sum code mismatched in received data from camera unit."},
        TextCase{26, "ERROR - Illegal message size of transmission data. "},
        TextCase{27, "ERROR - Too long message received."},
        TextCase{28, "ERROR - This should be a software error."},
        TextCase{-1, "ERROR - This should be a software error."}));

TEST(CommStatusTest, EveryCodeHasItsOwnMessage) {
    // Ids run 62101..62126, skip the frame 62127, then 62128 and 62129.
    for (int32_t code = 0; code < CommStatus::kCodeCount; ++code) {
        const unsigned expected = code <= 25 ? 62101 + code : 62102 + code;
        EXPECT_EQ(CommStatus::StatusStringId(code), expected) << code;
        CommStatus status;
        status.SetStatus(code);
        EXPECT_GT(status.GetStatusText().size(), std::string("ERROR - ").size()) << code;
    }
}

struct FlagCase {
    uint32_t flags;
    int32_t code;
};

class MapLineErrorsTest : public ::testing::TestWithParam<FlagCase> {};

TEST_P(MapLineErrorsTest, FirstFlagInOrderDecides) {
    EXPECT_EQ(CommStatus::MapLineErrors(GetParam().flags), GetParam().code);
}

INSTANTIATE_TEST_SUITE_P(
    Flags, MapLineErrorsTest,
    ::testing::Values(FlagCase{0x0000, 5}, FlagCase{0x0020, 5}, FlagCase{0x0018, 9},
                      FlagCase{0x8001, 12}, FlagCase{0x8000, 12}, FlagCase{0x0010, 9},
                      FlagCase{0x0008, 10}, FlagCase{0x0408, 10}, FlagCase{0x0400, 11},
                      FlagCase{0x0402, 11}, FlagCase{0x0002, 13}, FlagCase{0x0003, 13},
                      FlagCase{0x0001, 14}, FlagCase{0x0005, 14}, FlagCase{0x0004, 15},
                      FlagCase{0x0104, 15}, FlagCase{0x0100, 16}, FlagCase{0x0900, 16},
                      FlagCase{0x0800, 17}, FlagCase{0x0A00, 17}, FlagCase{0x0200, 18},
                      FlagCase{0x1200, 18}, FlagCase{0x1000, 19}));

}  // namespace
}  // namespace tavin
