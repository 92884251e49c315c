#include "ProtocolEngine.h"

#include <gtest/gtest.h>

#include "SimTestBytes.h"

namespace tavin::sim {
namespace {

using test::Concat;
using test::Feed;
using test::Frame;
using test::Hex;

const std::vector<uint8_t> kEnqOnly{kEnq};
const std::vector<uint8_t> kAckOnly{kAck};
const std::vector<uint8_t> kNakOnly{kNak};

TEST(ProtocolEngine, WorkedWriteExampleByteForByte) {
    ProtocolEngine camera;
    camera.Settings().Set(CommandGroup::First, 0x06, 0);

    EXPECT_EQ(Feed(camera, kEnqOnly), kAckOnly);
    const auto frame = Hex("02 30 31 46 46 30 31 30 36 30 31 30 30 30 30 03 32 35");
    // Nothing is answered before the last checksum digit.
    EXPECT_TRUE(Feed(camera, {frame.begin(), frame.end() - 1}).empty());
    EXPECT_EQ(Feed(camera, {frame.back()}), kAckOnly);
    EXPECT_EQ(camera.Settings().Get(CommandGroup::First, 0x06), 1);
}

TEST(ProtocolEngine, WorkedReadExampleByteForByte) {
    ProtocolEngine camera;
    camera.Settings().Set(CommandGroup::First, 0x2E, 291);

    EXPECT_EQ(Feed(camera, kEnqOnly), kAckOnly);
    const auto answer = Feed(camera, Hex("02 30 31 46 46 30 33 32 45 30 30 30 30 30 30 03 31 33"));
    EXPECT_EQ(answer, Concat(kAckOnly, Hex("02 30 31 32 33 30 30 03 44 34")));
    // The host's ACK closes the exchange silently; the next ENQ starts a new one.
    EXPECT_TRUE(Feed(camera, kAckOnly).empty());
    EXPECT_EQ(Feed(camera, kEnqOnly), kAckOnly);
}

struct Encoding {
    const char* what;
    uint8_t writeCommand;
    uint8_t item;
    const char* valueDigits;  // as the host writes them
    int32_t stored;           // what the camera keeps
};

class ValueEncoding : public testing::TestWithParam<Encoding> {};

// Second-group values travel least significant byte first, first-group values most significant
// byte first within the item's width; a read hands back exactly the digits that were written.
TEST_P(ValueEncoding, WriteStoresAndReadRepliesTheSameDigits) {
    const Encoding& e = GetParam();
    ProtocolEngine camera;
    char text[32];
    std::snprintf(text, sizeof text, "01FF%02X%02X%s", e.writeCommand, e.item, e.valueDigits);
    ASSERT_EQ(Feed(camera, Concat(kEnqOnly, Frame(text))), Hex("06 06"));
    const CommandGroup group = GroupOfCommand(e.writeCommand);
    EXPECT_EQ(camera.Settings().Get(group, e.item), e.stored);

    std::snprintf(text, sizeof text, "01FF%02X%02X000000", e.writeCommand + 2, e.item);
    const auto answer = Feed(camera, Concat(kEnqOnly, Frame(text)));
    ASSERT_EQ(answer.size(), 12u);
    EXPECT_EQ(std::string(answer.begin() + 3, answer.begin() + 9), e.valueDigits);
}

INSTANTIATE_TEST_SUITE_P(
    Items, ValueEncoding,
    testing::Values(Encoding{"second group", 0x02, 0x3C, "FF0100", 0x1FF},
                    Encoding{"first group, two bytes", 0x01, 0x2E, "012300", 0x0123},
                    Encoding{"first group, one byte", 0x01, 0x1A, "120000", 0x12},
                    // A character pair in a one-byte item keeps the host's unreordered bytes.
                    Encoding{"first group, one-byte pair", 0x01, 0x1E, "E4E400", 0xE4E4},
                    Encoding{"unknown item, three bytes", 0x01, 0x7F, "123456", 0x123456}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

TEST(ProtocolEngine, SameItemNumberIsAnotherItemInTheOtherGroup) {
    ProtocolEngine camera;
    Feed(camera, Concat(kEnqOnly, Frame("01FF0119070000")));
    EXPECT_EQ(camera.Settings().Get(CommandGroup::First, 0x19), 7);
    EXPECT_EQ(camera.Settings().Get(CommandGroup::Second, 0x19), 0x1F7);
}

TEST(ProtocolEngine, BadFrameGetsNakAndTheRepeatNeedsNoNewEnq) {
    ProtocolEngine camera;
    Feed(camera, kEnqOnly);
    auto spoilt = Frame("01FF0106000000");
    spoilt.back() ^= 1;
    EXPECT_EQ(Feed(camera, spoilt), kNakOnly);
    EXPECT_EQ(Feed(camera, Frame("01FF0106000000")), kAckOnly);
    EXPECT_EQ(camera.Settings().Get(CommandGroup::First, 0x06), 0);
}

TEST(ProtocolEngine, RefusesFramesItCannotTakeAndKeepsItsValues) {
    struct Case {
        const char* what;
        std::vector<uint8_t> frame;
    };
    auto lowerCaseSum = Frame("01FF01062A0000");
    for (auto& c : lowerCaseSum) {
        c = static_cast<uint8_t>(std::tolower(c));
    }
    const std::vector<Case> cases{
        {"lower-case checksum digits", lowerCaseSum},
        {"not an item message", Frame("HELLO")},
        {"lower-case value digits", Frame("01FF01062a0000")},
        {"text of 23 characters", Frame("01FF010600000000000000000")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ProtocolEngine camera;
        Feed(camera, kEnqOnly);
        const auto answer = Feed(camera, c.frame);
        ASSERT_FALSE(answer.empty());
        EXPECT_EQ(answer.front(), kNak);
        EXPECT_EQ(camera.Settings().Get(CommandGroup::First, 0x06), 1);
    }
}

TEST(ProtocolEngine, FrameWithoutEnqIsIgnored) {
    ProtocolEngine camera;
    EXPECT_TRUE(Feed(camera, Frame("01FF0106000000")).empty());
    EXPECT_EQ(camera.Settings().Get(CommandGroup::First, 0x06), 1);
}

TEST(ProtocolEngine, UnknownCommandIsAcknowledgedAndChangesNothing) {
    ProtocolEngine camera;
    EXPECT_EQ(Feed(camera, Concat(kEnqOnly, Frame("01FF0906050000"))), Hex("06 06"));
    EXPECT_EQ(camera.Settings().Get(CommandGroup::First, 0x06), 1);
}

TEST(ProtocolEngine, NakedReplyIsSentAgainAndEnqCountsAsAcceptance) {
    ProtocolEngine camera;
    std::vector<EventKind> events;
    camera.SetObserver([&](const MonitorEvent& e) { events.push_back(e.kind); });
    const auto answer = Feed(camera, Concat(kEnqOnly, Frame("01FF0331000000")));
    const std::vector<uint8_t> reply(answer.begin() + 2, answer.end());
    EXPECT_EQ(Feed(camera, kNakOnly), reply);
    EXPECT_EQ(Feed(camera, kEnqOnly), kAckOnly);
    EXPECT_EQ(events, (std::vector{EventKind::Enq, EventKind::Read, EventKind::Reply,
                                   EventKind::ReplyRejected, EventKind::Reply,
                                   EventKind::ReplyAccepted, EventKind::Enq}));
}

TEST(ProtocolEngine, EnqInTheMiddleOfAFrameStartsOver) {
    ProtocolEngine camera;
    const auto frame = Frame("01FF0106000000");
    Feed(camera, kEnqOnly);
    Feed(camera, {frame.begin(), frame.begin() + 7});
    EXPECT_EQ(Feed(camera, kEnqOnly), kAckOnly);
    EXPECT_EQ(Feed(camera, frame), kAckOnly);
}

TEST(MonitorEvent, WriteLineNamesCommandItemLabelValueAndAnswer) {
    ProtocolEngine camera;
    std::vector<std::string> lines;
    camera.SetObserver([&](const MonitorEvent& e) { lines.push_back(FormatEvent(e)); });
    Feed(camera, Concat(kEnqOnly, Frame("01FF032E000000")));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "host   ENQ  -> ACK");
    EXPECT_EQ(lines[1], "host   read  cmd 03 item 2E AGC Gain MIN Level [01FF032E000000]  -> ACK");
    EXPECT_EQ(lines[2], "camera reply cmd 03 item 2E AGC Gain MIN Level = 0 [000000 sum DA]");
}

}  // namespace
}  // namespace tavin::sim
