// Handshake, retries and time-outs of the protocol engine on the port path, in virtual time.
#include <gtest/gtest.h>

#include <vector>

#include "CameraProtocol.h"
#include "FakeSerialDevice.h"

namespace tavin {
namespace {

using testing::FakeCameraPeer;
using Event = FakeCameraPeer::Event;
using Bytes = std::vector<uint8_t>;

Bytes WithChecksumCase(Bytes reply, bool lower) {
    for (size_t i = 8; lower && i < 10; ++i) {
        if (reply[i] >= 'A' && reply[i] <= 'F') {
            reply[i] = static_cast<uint8_t>(reply[i] + 32);
        }
    }
    return reply;
}

class ProtocolTest : public ::testing::Test {
  protected:
    void SetUp() override {
        link.Attach(protocol);
        ASSERT_EQ(protocol.OpenPort(1, 19200), 0);
        start = link.clock.NowMs();
    }
    uint64_t Elapsed() { return link.clock.NowMs() - start; }
    // ACK to the read message followed by `reply`.
    static FakeCameraPeer::Answer AckThen(Bytes reply) {
        return {{2, {kAck}}, {5, std::move(reply)}};
    }
    // The camera answers the first three NAKs with `bad` again and the fourth, which ends the
    // request, with nothing (a resend would land in the next request's handshake).
    void ScriptBadResends(const Bytes& bad) {
        link.peer.Script(Event::kReplyNak, FakeCameraPeer::Bytes(bad), 3);
        link.peer.Script(Event::kReplyNak, {});
    }
    int32_t ReadItem(int32_t* value) {
        return protocol.ReadCameraItem(1, 255, 0x03, 0x2E, 0, 1023, value);
    }

    testing::FakeLink link;
    CameraProtocol protocol;
    uint64_t start = 0;
};

TEST_F(ProtocolTest, SilentCameraFailsAfterFourEnqsOfOneSecondEach) {
    link.peer.SetSilent(true);
    EXPECT_EQ(protocol.SendCommand("01FF0106010000"), -CommStatus::kTimeOut);
    EXPECT_EQ(link.peer.EnqCount(), 4);
    EXPECT_EQ(link.peer.FrameCount(), 0);
    EXPECT_EQ(Elapsed(), 4000u);
}

TEST_F(ProtocolTest, UnacknowledgedFrameIsSentFourTimesWithThreeSecondWaits) {
    link.peer.Script(Event::kFrame, {}, 4);
    EXPECT_EQ(protocol.SendCommand("01FF0106010000"), -CommStatus::kTimeOut);
    EXPECT_EQ(link.peer.EnqCount(), 1);  // a repeated frame gets no new ENQ
    EXPECT_EQ(link.peer.FrameCount(), 4);
    EXPECT_EQ(Elapsed(), 2u + 4 * 3000u);
}

TEST_F(ProtocolTest, WrongAnswerToEnqRecordsTwentyAndTheNextEnqGoesOut) {
    link.peer.Script(Event::kEnq, FakeCameraPeer::Bytes({kNak}));
    EXPECT_EQ(protocol.SendCommand("01FF0106010000"), 0);
    EXPECT_EQ(link.peer.EnqCount(), 2);
    EXPECT_EQ(protocol.GetStatus(), CommStatus::kUnexpectedChar);  // stays on record

    link.peer.Script(Event::kEnq, FakeCameraPeer::Bytes({'?'}), 4);
    EXPECT_EQ(protocol.SendCommand("01FF0106010000"), -CommStatus::kUnexpectedChar);
    EXPECT_EQ(link.peer.EnqCount(), 6);
}

TEST_F(ProtocolTest, RejectedFrameIsResentUpToFourTimes) {
    link.peer.Script(Event::kFrame, FakeCameraPeer::Bytes({kNak}), 4);
    EXPECT_EQ(protocol.SendCommand("01FF0106010000"), -CommStatus::kUnexpectedChar);
    EXPECT_EQ(link.peer.FrameCount(), 4);
    EXPECT_EQ(link.peer.EnqCount(), 1);
}

TEST_F(ProtocolTest, DriverWriteFailureEndsWithTheLineErrorCode) {
    link.device->failingWrites = 4;
    link.device->writeErrorFlags = CommStatus::kCeFrame;
    EXPECT_EQ(protocol.SendCommand("01FF0106010000"), -CommStatus::kFraming);
    EXPECT_EQ(link.peer.EnqCount(), 0);
}

TEST_F(ProtocolTest, RefusedPurgeDoesNotStopTheExchange) {
    link.device->purgeRefused = true;
    EXPECT_EQ(protocol.SendCommand("01FF0106010000"), 0);
    EXPECT_EQ(protocol.GetStatus(), CommStatus::kPurgeFailed);
}

TEST_F(ProtocolTest, EveryExchangeStartsByPurgingBothDirections) {
    link.line.CameraSends({kAck});  // stale byte from an earlier exchange
    ASSERT_EQ(protocol.SendCommand("X"), 0);
    ASSERT_FALSE(link.device->purges.empty());
    EXPECT_TRUE(link.device->purges.front().output && link.device->purges.front().input);
}

TEST_F(ProtocolTest, NoOpenPortFailsAtOnceWithThree) {
    protocol.Close();
    EXPECT_EQ(protocol.SendCommand("01FF0106010000"), -CommStatus::kPortNotOpen);
    int32_t value = 7;
    EXPECT_EQ(ReadItem(&value), -CommStatus::kPortNotOpen);
    EXPECT_EQ(value, 0);
    EXPECT_EQ(Elapsed(), 0u);
}

TEST_F(ProtocolTest, WriteStoresTheValueInTheCamera) {
    EXPECT_EQ(protocol.WriteCameraItem(1, 255, 0x01, 0x2E, 0, 1023, 0x0123), 0);
    EXPECT_EQ(link.peer.Item(0x2E), 0x2301u);
    int32_t value = 0;
    EXPECT_EQ(ReadItem(&value), 0);
    EXPECT_EQ(value, 0x0123);
}

struct ReplyCase {
    const char* name;
    Bytes firstReply;  // the camera's answer to the read message, after its ACK
    int32_t result;    // of ReadCameraItem
    int32_t value;
    int naks;  // NAKs the host sent
};

class ReplyTest : public ProtocolTest, public ::testing::WithParamInterface<ReplyCase> {};

TEST_P(ReplyTest, ReplyIsCheckedAndAnswered) {
    link.peer.SetItem(0x2E, 0x2301);
    link.peer.Script(Event::kFrame, AckThen(GetParam().firstReply));
    int32_t value = -1;
    EXPECT_EQ(ReadItem(&value), GetParam().result);
    EXPECT_EQ(value, GetParam().value);
    EXPECT_EQ(link.peer.NakCount(), GetParam().naks);
    EXPECT_EQ(link.peer.FrameCount(), 1);  // a bad reply is not answered by a new request
}

const Bytes kGood = FakeCameraPeer::ReplyFor(0x2301);
Bytes Noise(Bytes reply) {
    reply.insert(reply.begin(), {0x55, 0xFF, 0x06});
    return reply;
}
Bytes Corrupt(Bytes reply, size_t at, uint8_t byte) {
    reply[at] = byte;
    return reply;
}

INSTANTIATE_TEST_SUITE_P(
    Replies, ReplyTest,
    ::testing::Values(
        ReplyCase{"Good", kGood, 0, 0x0123, 0},
        ReplyCase{"NoiseBeforeStxIsSkipped", Noise(kGood), 0, 0x0123, 0},
        ReplyCase{"LowerCaseChecksum", WithChecksumCase(kGood, true), 0, 0x0123, 0},
        ReplyCase{"BadChecksumIsNakedAndTheResentReplyTaken", Corrupt(kGood, 9, '0'), 0, 0x0123, 1},
        ReplyCase{"NoEtxIsNaked", Corrupt(kGood, 7, '0'), 0, 0x0123, 1},
        // The value is not part of the check: the reply is acknowledged, then refused.
        ReplyCase{"NonHexValue", FakeCameraPeer::ReplyWithText("0G2300"), -CommStatus::kBadCharType,
                  0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ProtocolTest, NonHexValueIsAcknowledgedBeforeItIsRefused) {
    link.peer.Script(Event::kFrame, AckThen(FakeCameraPeer::ReplyWithText("0G2300")));
    int32_t value = -1;
    EXPECT_EQ(ReadItem(&value), -CommStatus::kBadCharType);
    EXPECT_EQ(link.peer.AckCount(), 1);
    EXPECT_EQ(value, 0);
}

TEST_F(ProtocolTest, FourBadRepliesEndTheRequestAndANewOneIsSent) {
    const Bytes bad = Corrupt(kGood, 9, '0');
    link.peer.SetItem(0x2E, 0x2301);
    link.peer.Script(Event::kFrame, AckThen(bad));
    ScriptBadResends(bad);
    int32_t value = -1;
    EXPECT_EQ(ReadItem(&value), 0);  // the second request gets the good reply
    EXPECT_EQ(value, 0x0123);
    EXPECT_EQ(link.peer.FrameCount(), 2);
    EXPECT_EQ(link.peer.EnqCount(), 2);
    EXPECT_EQ(link.peer.NakCount(), 4);
}

TEST_F(ProtocolTest, AlwaysBadRepliesFailAfterFourRequestsOfFourReplies) {
    const Bytes bad = Corrupt(kGood, 9, '0');
    link.peer.Script(Event::kFrame, AckThen(bad), 4);
    for (int request = 0; request < 4; ++request) {
        ScriptBadResends(bad);
    }
    int32_t value = -1;
    EXPECT_EQ(ReadItem(&value), -CommStatus::kChecksumMismatch);
    EXPECT_EQ(link.peer.FrameCount(), 4);
    EXPECT_EQ(link.peer.NakCount(), 16);
}

TEST_F(ProtocolTest, MissingReplyEndsEachRequestAfterFourSeconds) {
    link.peer.Script(Event::kFrame, FakeCameraPeer::Bytes({kAck}), 4);
    int32_t value = -1;
    EXPECT_EQ(ReadItem(&value), -CommStatus::kTimeOut);
    EXPECT_EQ(link.peer.FrameCount(), 4);
    EXPECT_EQ(link.peer.EnqCount(), 4);
    EXPECT_EQ(Elapsed(), 4 * (2u + 2u + 4000u));
}

TEST_F(ProtocolTest, QueryFailsAtOnceWhenItsMessageIsNotAccepted) {
    link.peer.SetSilent(true);
    char reply[28];
    EXPECT_EQ(protocol.SendQuery("01FF032E000000", reply), -CommStatus::kTimeOut);
    EXPECT_EQ(link.peer.EnqCount(), 4);  // one SendCommand, not four
}

TEST_F(ProtocolTest, CutReplyEndsTheRequest) {
    link.peer.Script(Event::kFrame, AckThen(Bytes{0x02, '0', '1'}));
    link.peer.SetItem(0x2E, 0x2301);
    int32_t value = -1;
    EXPECT_EQ(ReadItem(&value), 0);
    EXPECT_EQ(link.peer.FrameCount(), 2);
    EXPECT_EQ(link.peer.NakCount(), 0);
}

TEST_F(ProtocolTest, EndlessNoiseCannotHoldTheProgram) {
    link.peer.Script(Event::kFrame, FakeCameraPeer::Bytes({kAck}), 4);
    for (uint32_t t = 10; t < 60'000; t += 25) {
        link.line.CameraSends({0x55}, t);
    }
    int32_t value = -1;
    EXPECT_EQ(ReadItem(&value), -CommStatus::kTimeOut);
    EXPECT_LT(Elapsed(), 4 * 4100u);
}

TEST_F(ProtocolTest, QueryHandsBackTheSixValueCharacters) {
    link.peer.SetItem(0x2E, 0x2301);
    char reply[28];
    std::fill(std::begin(reply), std::end(reply), 'x');
    EXPECT_EQ(protocol.SendQuery("01FF032E000000", reply), 6);
    EXPECT_STREQ(reply, "012300");
}

}  // namespace
}  // namespace tavin
