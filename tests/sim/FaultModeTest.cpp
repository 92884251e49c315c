#include <gtest/gtest.h>

#include <stdexcept>

#include "Fault.h"
#include "ProtocolEngine.h"
#include "SimTestBytes.h"

namespace tavin::sim {
namespace {

using test::Concat;
using test::Feed;
using test::Frame;
using test::Hex;

const std::vector<uint8_t> kEnqByte{kEnq};
// Read of item 0x2E, which the tests set to 291: the good reply is "012300" with checksum D4.
const std::vector<uint8_t> kReadRequest = Frame("01FF032E000000");
const std::vector<uint8_t> kGoodReply = Hex("02 30 31 32 33 30 30 03 44 34");

ProtocolEngine CameraWith(const std::string& fault) {
    ProtocolEngine camera;
    camera.Settings().Set(CommandGroup::First, 0x2E, 291);
    camera.SetFault(ParseFault(fault));
    return camera;
}

TEST(FaultMode, SilentAnswersNothing) {
    auto camera = CameraWith("silent");
    EXPECT_TRUE(Feed(camera, Concat(kEnqByte, kReadRequest)).empty());
}

TEST(FaultMode, EnqIsRefusedAndNoFrameIsTakenAfterIt) {
    using Case = std::pair<const char*, uint8_t>;
    for (const auto& [fault, answer] : {Case{"enq-nak", kNak}, Case{"enq-wrong-byte", '?'}}) {
        SCOPED_TRACE(fault);
        auto camera = CameraWith(fault);
        EXPECT_EQ(Feed(camera, kEnqByte), std::vector<uint8_t>{answer});
        EXPECT_TRUE(Feed(camera, Frame("01FF0106000000")).empty());
        EXPECT_EQ(camera.Settings().Get(CommandGroup::First, 0x06), 1);
    }
}

TEST(FaultMode, NoFrameAckLeavesEveryFrameUnanswered) {
    auto camera = CameraWith("no-frame-ack");
    EXPECT_EQ(Feed(camera, kEnqByte), std::vector<uint8_t>{kAck});
    for (int i = 0; i < 5; ++i) {
        EXPECT_TRUE(Feed(camera, Frame("01FF0106000000")).empty());
    }
    EXPECT_EQ(camera.Settings().Get(CommandGroup::First, 0x06), 1);
}

TEST(FaultMode, NoFrameAckWithCountAnswersTheNextFrameAndCountsPerExchange) {
    auto camera = CameraWith("no-frame-ack=2");
    for (int exchange = 0; exchange < 2; ++exchange) {
        Feed(camera, kEnqByte);
        EXPECT_TRUE(Feed(camera, Frame("01FF0106000000")).empty());
        EXPECT_TRUE(Feed(camera, Frame("01FF0106000000")).empty());
        EXPECT_EQ(Feed(camera, Frame("01FF0106000000")), std::vector<uint8_t>{kAck});
    }
}

TEST(FaultMode, NoiseComesBeforeTheReplyAndHoldsNoStx) {
    auto camera = CameraWith("noise");
    const auto answer = Feed(camera, Concat(kEnqByte, kReadRequest));
    ASSERT_GT(answer.size(), 2 + kGoodReply.size());
    const std::vector<uint8_t> noise(answer.begin() + 2, answer.end() - kGoodReply.size());
    EXPECT_EQ(std::count(noise.begin(), noise.end(), kStx), 0);
    EXPECT_EQ(std::vector<uint8_t>(answer.end() - kGoodReply.size(), answer.end()), kGoodReply);
}

TEST(FaultMode, BadChecksumNTimesThenGoodForEachRequest) {
    auto camera = CameraWith("bad-checksum=2");
    auto bad = kGoodReply;
    bad[9] = '5';  // D4 + 1
    for (int request = 0; request < 2; ++request) {
        EXPECT_EQ(Feed(camera, Concat(kEnqByte, kReadRequest)), Concat(Hex("06 06"), bad));
        EXPECT_EQ(Feed(camera, {kNak}), bad);
        EXPECT_EQ(Feed(camera, {kNak}), kGoodReply);
        Feed(camera, {kAck});
    }
}

TEST(FaultMode, FourthRefusedReplyEndsTheRequestQuietly) {
    auto camera = CameraWith("bad-checksum=9");
    EXPECT_EQ(Feed(camera, Concat(kEnqByte, kReadRequest)).size(), 12u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(Feed(camera, {kNak}).size(), 10u);
    }
    EXPECT_TRUE(Feed(camera, {kNak}).empty());
    EXPECT_EQ(Feed(camera, kEnqByte), std::vector<uint8_t>{kAck});
}

TEST(FaultMode, LowerCaseChecksumDigits) {
    auto camera = CameraWith("lower-case-checksum");
    EXPECT_EQ(Feed(camera, Concat(kEnqByte, kReadRequest)),
              Concat(Hex("06 06"), Hex("02 30 31 32 33 30 30 03 64 34")));
}

TEST(FaultMode, NonHexValueCharacterUnderAMatchingChecksum) {
    auto camera = CameraWith("bad-value-char");
    const auto answer = Feed(camera, Concat(kEnqByte, kReadRequest));
    ASSERT_EQ(answer.size(), 12u);
    const std::vector<uint8_t> reply(answer.begin() + 2, answer.end());
    EXPECT_FALSE(std::isxdigit(reply[1]));
    const auto rebuilt = Frame(std::string(reply.begin() + 1, reply.begin() + 7));
    EXPECT_EQ(reply, rebuilt);
}

TEST(FaultMode, CutReplyOnlyTheFirstN) {
    auto camera = CameraWith("cut-reply=1");
    const auto first = Feed(camera, Concat(kEnqByte, kReadRequest));
    EXPECT_EQ(first, Concat(Hex("06 06"), {kGoodReply.begin(), kGoodReply.begin() + 6}));
    // The host gives up and asks again; its ENQ also ends the wait for a verdict.
    EXPECT_EQ(Feed(camera, Concat(kEnqByte, kReadRequest)), Concat(Hex("06 06"), kGoodReply));
}

TEST(FaultMode, HangUpAfterTheFrameAndDeafFromThen) {
    auto camera = CameraWith("hangup");
    EXPECT_EQ(Feed(camera, kEnqByte), std::vector<uint8_t>{kAck});
    EXPECT_FALSE(camera.HungUp());
    EXPECT_TRUE(Feed(camera, kReadRequest).empty());
    EXPECT_TRUE(camera.HungUp());
    EXPECT_TRUE(Feed(camera, kEnqByte).empty());
}

TEST(FaultName, ParsesNamesAndCounts) {
    struct Case {
        const char* text;
        FaultKind kind;
        int count;
    };
    for (const Case& c :
         {Case{"none", FaultKind::None, 0}, Case{"silent", FaultKind::Silent, 0},
          Case{"bad-checksum", FaultKind::BadReplyChecksum, 1},
          Case{"bad-checksum=5", FaultKind::BadReplyChecksum, 5},
          Case{"no-frame-ack", FaultKind::IgnoreFrame, 0},
          Case{"cut-reply=3", FaultKind::CutReply, 3}, Case{"hangup", FaultKind::HangUp, 0},
          Case{"forget-writes", FaultKind::ForgetWrites, 0}}) {
        SCOPED_TRACE(c.text);
        const Fault fault = ParseFault(c.text);
        EXPECT_EQ(fault.kind, c.kind);
        EXPECT_EQ(fault.count, c.count);
        EXPECT_EQ(ParseFault(ToString(fault)).kind, c.kind);
    }
}

TEST(FaultName, RejectsWhatItCannotMeanWithAMessage) {
    for (const char* text : {"", "bogus", "silent=2", "bad-checksum=0", "bad-checksum=-1",
                             "cut-reply=x", "cut-reply=", "bad-checksum=2x"}) {
        SCOPED_TRACE(text);
        EXPECT_THROW(ParseFault(text), std::invalid_argument);
    }
    try {
        ParseFault("bogus");
    } catch (const std::invalid_argument& e) {
        EXPECT_NE(std::string(e.what()).find("hangup"), std::string::npos) << "lists the faults";
    }
}

}  // namespace
}  // namespace tavin::sim
