// The bytes on the wire: command text, frame, checksum, value order and reply checks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CameraProtocol.h"
#include "FakeSerialDevice.h"

namespace tavin {
namespace {

using testing::FakeCameraPeer;
using Bytes = std::vector<uint8_t>;

class MessageFormatTest : public ::testing::Test {
  protected:
    void SetUp() override {
        link.Attach(protocol);
        ASSERT_EQ(protocol.OpenPort(1, 19200), 0);
    }
    testing::FakeLink link;
    CameraProtocol protocol;
};

TEST_F(MessageFormatTest, WriteExampleGoesOutByteForByte) {
    ASSERT_EQ(protocol.WriteCameraItem(0x01, 0xFF, 0x01, 0x06, 0, 1, 1), 0);
    const Bytes expected{0x05, 0x02, 0x30, 0x31, 0x46, 0x46, 0x30, 0x31, 0x30, 0x36,
                         0x30, 0x31, 0x30, 0x30, 0x30, 0x30, 0x03, 0x32, 0x35};
    EXPECT_EQ(link.device->written, expected);
    EXPECT_EQ(link.peer.Texts(), std::vector<std::string>{"01FF0106010000"});
}

TEST_F(MessageFormatTest, ReadExampleGoesOutAndComesBackByteForByte) {
    const Bytes reply{0x02, 0x30, 0x31, 0x32, 0x33, 0x30, 0x30, 0x03, 0x44, 0x34};
    link.peer.Script(FakeCameraPeer::Event::kFrame, {{2, {kAck}}, {5, reply}});
    int32_t value = -1;
    ASSERT_EQ(protocol.ReadCameraItem(0x01, 0xFF, 0x03, 0x2E, 0, 1023, &value), 0);
    EXPECT_EQ(value, 291);
    const Bytes expected{0x05, 0x02, 0x30, 0x31, 0x46, 0x46, 0x30, 0x33, 0x32, 0x45,
                         0x30, 0x30, 0x30, 0x30, 0x30, 0x30, 0x03, 0x31, 0x33, 0x06};
    EXPECT_EQ(link.device->written, expected);
}

TEST_F(MessageFormatTest, EmptyTextIsFramedWithChecksumFA) {
    ASSERT_EQ(protocol.SendCommand(""), 0);
    EXPECT_EQ(link.device->written, (Bytes{0x05, 0x02, 0x03, 'F', 'A'}));
}

TEST_F(MessageFormatTest, TwentyTwoCharactersAreSentTwentyThreeAreRefusedUntouched) {
    const std::string longest(22, 'A');
    ASSERT_EQ(protocol.SendCommand(longest.c_str()), 0);
    EXPECT_EQ(link.device->written.size(), 1u + 22 + 4);

    link.device->written.clear();
    link.device->purges.clear();
    const std::string tooLong(23, 'A');
    EXPECT_EQ(protocol.SendCommand(tooLong.c_str()), -CommStatus::kMessageTooLong);
    EXPECT_TRUE(link.device->written.empty());
    EXPECT_TRUE(link.device->purges.empty());  // not even the purge
}

struct ReorderCase {
    int32_t command, minValue, maxValue, value;
    const char* valueField;  // the last six characters of the message text
};

class ValueOrderTest : public ::testing::TestWithParam<ReorderCase> {};

TEST_P(ValueOrderTest, TravelsInTheItemsByteOrder) {
    const ReorderCase& c = GetParam();
    char text[16];
    CameraProtocol::BuildCommand(text, 1, 255, c.command, 0x10, c.minValue, c.maxValue, c.value);
    EXPECT_EQ(std::string(text).substr(8), c.valueField);
    // The reordering is its own inverse, so a read gives back what was written.
    const int32_t wire = CameraProtocol::ReorderValue(c.command, c.minValue, c.maxValue, c.value);
    EXPECT_EQ(CameraProtocol::ReorderValue(c.command, c.minValue, c.maxValue, wire), c.value);
}

INSTANTIATE_TEST_SUITE_P(Examples, ValueOrderTest,
                         ::testing::Values(ReorderCase{0x02, 0, 0x1FF, 0x1FF, "FF0100"},
                                           ReorderCase{0x04, 0, 0x1FF, 0x1FF, "FF0100"},
                                           ReorderCase{0x01, 0, 1023, 0x0123, "012300"},
                                           ReorderCase{0x01, 0, 255, 0x12, "120000"},
                                           ReorderCase{0x03, 0, 0x10000, 0x012345, "012345"},
                                           ReorderCase{0x101, 0, 1023, 0x0123,
                                                       "012300"}));  // low byte decides

TEST(MessageHelpersTest, ReorderValueClearsBytesOutsideTheWidth) {
    EXPECT_EQ(CameraProtocol::ReorderValue(0x01, 0, 1023, 0x7F0123), 0x2301);
    EXPECT_EQ(CameraProtocol::ReorderValue(0x01, 0, 0x20000, 0x7F010203), 0x030201);
    EXPECT_EQ(CameraProtocol::ReorderValue(0x01, 0, 255, 0x7F0123), 0x7F0123);
}

TEST(MessageHelpersTest, BuildCommandMasksTheHeaderFieldsToBytes) {
    char text[16];
    CameraProtocol::BuildCommand(text, 0x101, 0x1FF, 0x201, 0x306, 0, 1, 1);
    EXPECT_STREQ(text, "01FF0106010000");
}

TEST(MessageHelpersTest, ChecksumIsTheComplementOfTheByteSum) {
    const uint8_t frame[] = {0x02, '0', '1', '2', '3', '0', '0', 0x03};
    EXPECT_EQ(CameraProtocol::Checksum(frame, 8), 0xD4);
    EXPECT_EQ(CameraProtocol::Checksum(frame, 0), 0xFF);
    const uint8_t wraps[] = {0xFF, 0xFF, 0x03};
    EXPECT_EQ(CameraProtocol::Checksum(wraps, 3), 0xFE);  // 0x201 keeps 0x01
}

TEST(MessageHelpersTest, HexValueReadsEitherCase) {
    EXPECT_EQ(CameraProtocol::HexValue("d4", 2), 0xD4u);
    EXPECT_EQ(CameraProtocol::HexValue("D4", 2), 0xD4u);
    EXPECT_EQ(CameraProtocol::HexValue("0123", 4), 0x123u);
    EXPECT_EQ(CameraProtocol::HexValue("FF", 0), 0u);
    EXPECT_EQ(CameraProtocol::HexValue("FF", -1), 0u);
}

struct ReplyCase {
    const char* name;
    Bytes reply;
    int32_t code;  // 0 when valid
};

class CheckReplyTest : public ::testing::TestWithParam<ReplyCase> {};

TEST_P(CheckReplyTest, FirstFailingCheckDecides) {
    CameraProtocol protocol;
    const Bytes& r = GetParam().reply;
    EXPECT_EQ(protocol.CheckReply(r.data(), static_cast<int32_t>(r.size())), -GetParam().code);
    EXPECT_EQ(protocol.GetStatus(), GetParam().code);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, CheckReplyTest,
    ::testing::Values(
        ReplyCase{"Valid", {0x02, '0', '1', '2', '3', '0', '0', 0x03, 'D', '4'}, 0},
        ReplyCase{"LowerCaseChecksum", {0x02, '0', '1', '2', '3', '0', '0', 0x03, 'd', '4'}, 0},
        ReplyCase{"ValueNotExamined", {0x02, 'x', '1', '2', '3', '0', '0', 0x03, '8', 'C'}, 0},
        ReplyCase{"Short", {0x02, '0', '1', '2', '3', '0', '0', 0x03, 'D'}, 21},
        ReplyCase{"Long", {0x02, '0', '1', '2', '3', '0', '0', 0x03, 'D', '4', 0}, 21},
        ReplyCase{"NoStx", {0x01, '0', '1', '2', '3', '0', '0', 0x03, 'D', '4'}, 22},
        ReplyCase{"NoStxBeforeNoEtx", {0x01, '0', '1', '2', '3', '0', '0', 0x04, 'D', '4'}, 22},
        ReplyCase{"NoEtx", {0x02, '0', '1', '2', '3', '0', '0', 0x04, 'D', '4'}, 23},
        ReplyCase{"ChecksumNotHex", {0x02, '0', '1', '2', '3', '0', '0', 0x03, 'G', '4'}, 24},
        ReplyCase{"Mismatch", {0x02, '0', '1', '2', '3', '0', '0', 0x03, 'D', '5'}, 25}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tavin
