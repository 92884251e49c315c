#include "VirtualCamera.h"

#include <gtest/gtest.h>

#include "SimTestBytes.h"

namespace tavin::sim {
namespace {

using namespace std::chrono_literals;
using test::Frame;
using test::Hex;

const SimTime kStart = 10s;

TEST(LinePacing, ByteTimeIsElevenBitTimes) {
    EXPECT_EQ(ByteTime(0), SimTime::zero());
    EXPECT_EQ(ByteTime(9600), 1145833ns);  // 11 / 9600 s
    EXPECT_EQ(ByteTime(19200), 572916ns);
    EXPECT_EQ(ByteTime(115200), 95486ns);
}

TEST(VirtualCamera, UnpacedAnswersAtOnce) {
    VirtualCamera camera;
    camera.FromHost(std::vector<uint8_t>{kEnq}, kStart);
    EXPECT_EQ(camera.Advance(kStart).bytes, std::vector<uint8_t>{kAck});
    EXPECT_FALSE(camera.NextEventTime());
}

TEST(VirtualCamera, PacedEnqAndAckEachTakeOneByteTime) {
    VirtualCamera camera;
    camera.SetPacing({9600, 0us});
    const SimTime bt = ByteTime(9600);
    camera.FromHost(std::vector<uint8_t>{kEnq}, kStart);
    EXPECT_EQ(camera.NextEventTime(), kStart + bt);
    EXPECT_TRUE(camera.Advance(kStart + bt - 1ns).bytes.empty());
    EXPECT_TRUE(camera.Advance(kStart + bt).bytes.empty());  // logic has it, ACK on the line
    EXPECT_EQ(camera.NextEventTime(), kStart + 2 * bt);
    EXPECT_TRUE(camera.Advance(kStart + 2 * bt - 1ns).bytes.empty());
    EXPECT_EQ(camera.Advance(kStart + 2 * bt).bytes, std::vector<uint8_t>{kAck});
}

// Host bytes written at once still reach the camera one byte time apart; a pause on the host's
// side is not made up for later.
TEST(VirtualCamera, InboundBytesQueueBehindEachOther) {
    VirtualCamera camera;
    camera.SetPacing({9600, 0us});
    const SimTime bt = ByteTime(9600);
    camera.FromHost(std::vector<uint8_t>{kEnq}, kStart);
    camera.FromHost(Frame("01FF0106000000"), kStart);
    camera.Advance(kStart + 18 * bt);
    EXPECT_EQ(camera.NextEventTime(), kStart + 19 * bt) << "last frame byte";
    EXPECT_TRUE(camera.Advance(kStart + 19 * bt).bytes.empty()) << "the ACK is on the line";
    EXPECT_EQ(camera.Advance(kStart + 20 * bt).bytes, std::vector<uint8_t>{kAck});

    const SimTime later = kStart + 1s;
    camera.FromHost(std::vector<uint8_t>{kEnq}, later);
    EXPECT_EQ(camera.NextEventTime(), later + bt);
}

// A whole read, the host answering instantly: until the reply is in, 31 bytes cross the line (ENQ,
// ACK, frame, ACK, reply) and the camera thinks twice.
TEST(VirtualCamera, ReadExchangeTakesItsWireTimePlusTurnarounds) {
    VirtualCamera camera;
    camera.SetPacing({19200, 2000us});
    const SimTime bt = ByteTime(19200);
    SimTime now = kStart;
    std::vector<uint8_t> received;
    auto runUntil = [&](size_t count) {
        while (received.size() < count) {
            const auto next = camera.NextEventTime();
            ASSERT_TRUE(next);
            now = *next;
            const auto out = camera.Advance(now).bytes;
            received.insert(received.end(), out.begin(), out.end());
        }
    };
    camera.FromHost(std::vector<uint8_t>{kEnq}, now);
    runUntil(1);
    camera.FromHost(Frame("01FF0331000000"), now);
    runUntil(12);
    camera.FromHost(std::vector<uint8_t>{kAck}, now);
    camera.Advance(now + bt);
    EXPECT_EQ(now - kStart, 31 * bt + 2 * 2000us);
    EXPECT_EQ(camera.BytesFromHost(), 20u);
    EXPECT_EQ(camera.BytesToHost(), 12u);
    EXPECT_FALSE(camera.NextEventTime());
}

TEST(VirtualCamera, TurnaroundDelaysAnswersWithoutPacing) {
    VirtualCamera camera;
    camera.SetPacing({0, 5000us});
    camera.FromHost(std::vector<uint8_t>{kEnq}, kStart);
    EXPECT_TRUE(camera.Advance(kStart + 4999us).bytes.empty());
    EXPECT_EQ(camera.Advance(kStart + 5ms).bytes, std::vector<uint8_t>{kAck});
}

TEST(VirtualCamera, HangUpClosesOnlyAfterEarlierBytesWentOut) {
    VirtualCamera camera;
    camera.SetFault(Fault{FaultKind::HangUp, 0});
    camera.SetPacing({0, 1000us});
    camera.FromHost(std::vector<uint8_t>{kEnq}, kStart);
    camera.FromHost(Frame("01FF0106000000"), kStart);
    auto out = camera.Advance(kStart);
    EXPECT_TRUE(out.bytes.empty());
    EXPECT_FALSE(out.closed) << "the ACK of the ENQ is still due";
    out = camera.Advance(kStart + 1ms);
    EXPECT_EQ(out.bytes, std::vector<uint8_t>{kAck});
    EXPECT_TRUE(out.closed);
}

TEST(VirtualCamera, MonitorEventsCarryTheLogicTime) {
    VirtualCamera camera;
    camera.SetPacing({9600, 0us});
    std::vector<SimTime> times;
    camera.SetObserver([&](SimTime at, const MonitorEvent&) { times.push_back(at); });
    camera.FromHost(std::vector<uint8_t>{kEnq}, kStart);
    camera.Advance(kStart + 1s);
    EXPECT_EQ(times, std::vector<SimTime>{kStart + ByteTime(9600)});
}

}  // namespace
}  // namespace tavin::sim
