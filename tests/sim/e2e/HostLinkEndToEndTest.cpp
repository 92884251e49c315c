// The program's real link code (termios, framing, retries) against the simulated camera on a
// pseudo-terminal, in real time.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <future>
#include <memory>

#include "CameraProtocol.h"
#include "EventCounter.h"
#include "PtyCameraServer.h"

namespace tavin::sim {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr int32_t kAgcItem = 0x2E;  // first group, range 0..1023, so two bytes wide
constexpr int32_t kAgcValue = 291;

// A simulated camera and the host's protocol engine on COM port `port`.
struct Rig {
    Rig(int port, const std::string& fault, LinePacing pacing = {}) {
        ServerOptions options;
        options.settings.Set(CommandGroup::First, kAgcItem, kAgcValue);
        options.fault = fault.empty() ? Fault{} : ParseFault(fault);
        options.pacing = pacing;
        options.monitor = events.Sink();
        server = std::make_unique<PtyCameraServer>(std::move(options));
        const std::string name = "TAVIN_COM" + std::to_string(port);
        setenv(name.c_str(), server->DevicePath().c_str(), 1);
        opened = host.OpenPort(port, 19200);
        unsetenv(name.c_str());
    }

    int32_t ReadAgc(int32_t* value) {
        return host.ReadCameraItem(1, 255, 0x03, kAgcItem, 0, 1023, value);
    }

    test::EventCounter events;
    std::unique_ptr<PtyCameraServer> server;
    CameraProtocol host;
    int32_t opened = -1;
};

TEST(HostLinkEndToEnd, WorkedReadAndWriteExamples) {
    Rig rig(1, "");
    ASSERT_EQ(rig.opened, 0);
    int32_t value = 0;
    EXPECT_EQ(rig.ReadAgc(&value), 0);
    EXPECT_EQ(value, kAgcValue);
    EXPECT_EQ(rig.host.WriteCameraItem(1, 255, 0x01, 0x06, 0, 1, 0), 0);
    EXPECT_EQ(rig.server->Value(CommandGroup::First, 0x06), 0);
    // Second group, sign-magnitude range: least significant byte first on the wire.
    EXPECT_EQ(rig.host.WriteCameraItem(1, 255, 0x02, 0x3C, 0x1FF, 0x0FF, 0x1FF), 0);
    EXPECT_EQ(rig.server->Value(CommandGroup::Second, 0x3C), 0x1FF);
    EXPECT_EQ(rig.host.ReadCameraItem(1, 255, 0x04, 0x3C, 0x1FF, 0x0FF, &value), 0);
    EXPECT_EQ(value, 0x1FF);
}

// Every item of the camera, read through the host's framing and byte order, comes back as the
// camera's factory value: the two independent implementations agree on every width.
TEST(HostLinkEndToEnd, ReadsEveryFactoryItem) {
    Rig rig(1, "");
    ASSERT_EQ(rig.opened, 0);
    for (const FactoryItem& item : FactoryItems(CameraModel::Rs232c)) {
        if (item.group == CommandGroup::None) {
            continue;
        }
        const int32_t readCommand = item.group == CommandGroup::First ? 0x03 : 0x04;
        const int32_t max = (1 << (8 * item.width)) - 1;
        int32_t value = -1;
        EXPECT_EQ(rig.host.ReadCameraItem(1, 255, readCommand, item.itemNumber, 0, max, &value), 0);
        const int32_t expected = item.itemNumber == kAgcItem && item.group == CommandGroup::First
                                     ? kAgcValue
                                     : item.factoryValue;
        EXPECT_EQ(value, expected) << "item " << std::hex << int(item.itemNumber);
    }
}

struct FaultCase {
    const char* fault;
    int32_t result;
    int32_t value;
    int enqs;
    int reads;
    int replies;
};

class HostLinkFault : public testing::TestWithParam<FaultCase> {};

TEST_P(HostLinkFault, GivesTheStatusAfterTheRetriesTheProtocolAllows) {
    const FaultCase& c = GetParam();
    Rig rig(2, c.fault);
    ASSERT_EQ(rig.opened, 0);
    int32_t value = -1;
    EXPECT_EQ(rig.ReadAgc(&value), c.result);
    EXPECT_EQ(value, c.value);
    if (c.result < 0) {
        EXPECT_EQ(rig.host.GetStatus(), -c.result);
    }
    using E = test::EventCounter;
    EXPECT_EQ(rig.events.Count(E::kEnq, c.enqs), c.enqs) << rig.events.All();
    EXPECT_EQ(rig.events.Count(E::kRead, c.reads), c.reads) << rig.events.All();
    EXPECT_EQ(rig.events.Count(E::kReply, c.replies), c.replies) << rig.events.All();
}

INSTANTIATE_TEST_SUITE_P(
    QuickFaults, HostLinkFault,
    testing::Values(FaultCase{"none", 0, kAgcValue, 1, 1, 1}, FaultCase{"enq-nak", -20, 0, 4, 0, 0},
                    FaultCase{"enq-wrong-byte", -20, 0, 4, 0, 0},
                    FaultCase{"noise", 0, kAgcValue, 1, 1, 1},
                    // Three refused replies, the fourth is good.
                    FaultCase{"bad-checksum=3", 0, kAgcValue, 1, 1, 4},
                    // Four refused replies end a request; four requests end the read.
                    FaultCase{"bad-checksum=4", -25, 0, 4, 4, 16},
                    FaultCase{"lower-case-checksum", 0, kAgcValue, 1, 1, 1},
                    // Acknowledged, as its checksum is right, but the value is unusable.
                    FaultCase{"bad-value-char", -24, 0, 1, 1, 1}),
    [](const auto& info) {
        std::string name = info.param.fault;
        std::replace_if(
            name.begin(), name.end(), [](char ch) { return !std::isalnum(ch); }, '_');
        return name;
    });

// The faults that cost the host its real time-outs run side by side, each on its own port, so
// the whole set takes as long as its slowest member (four 3-second frame waits).
TEST(HostLinkSlowFaults, TimeOutsRetriesAndHangUpRunSideBySide) {
    struct Outcome {
        int32_t result = 0;
        int32_t value = 0;
        int32_t status = 0;
        Clock::duration elapsed{};
    };
    const std::vector<std::string> faults{"silent", "no-frame-ack", "cut-reply=1", "hangup"};
    std::vector<std::unique_ptr<Rig>> rigs;
    for (size_t i = 0; i < faults.size(); ++i) {
        rigs.push_back(std::make_unique<Rig>(3 + static_cast<int>(i), faults[i]));
        ASSERT_EQ(rigs.back()->opened, 0) << faults[i];
    }
    std::vector<std::future<Outcome>> running;
    for (auto& rig : rigs) {
        running.push_back(std::async(std::launch::async, [&rig] {
            Outcome o;
            const auto start = Clock::now();
            o.result = rig->ReadAgc(&o.value);
            o.elapsed = Clock::now() - start;
            o.status = rig->host.GetStatus();
            return o;
        }));
    }
    std::vector<Outcome> out;
    for (auto& f : running) {
        out.push_back(f.get());
    }
    using E = test::EventCounter;

    // Silent: four ENQs, each given 1000 ms.
    EXPECT_EQ(out[0].result, -5);
    EXPECT_EQ(rigs[0]->events.Count(E::kEnq, 4), 4);
    EXPECT_GE(out[0].elapsed, 3900ms);  // the host counts whole milliseconds
    EXPECT_LT(out[0].elapsed, 5500ms);

    // Frame never acknowledged: one ENQ, then four frames, each given 3000 ms.
    EXPECT_EQ(out[1].result, -5);
    EXPECT_EQ(rigs[1]->events.Count(E::kEnq, 1), 1);
    EXPECT_EQ(rigs[1]->events.Count(E::kUnanswered, 4), 4) << rigs[1]->events.All();
    EXPECT_GE(out[1].elapsed, 11900ms);
    EXPECT_LT(out[1].elapsed, 13500ms);

    // Reply cut short once: the host waits out 9 bytes at 1000 ms each, then asks again.
    EXPECT_EQ(out[2].result, 0);
    EXPECT_EQ(out[2].value, kAgcValue);
    EXPECT_EQ(rigs[2]->events.Count(E::kEnq, 2), 2);
    EXPECT_EQ(rigs[2]->events.Count(E::kRead, 2), 2);
    EXPECT_GE(out[2].elapsed, 8900ms);

    // Hang-up after the frame: a failure, well within the exchange's time-outs.
    EXPECT_LT(out[3].result, 0);
    EXPECT_EQ(out[3].status, -out[3].result);
    EXPECT_TRUE(rigs[3]->server->WaitForHangUp(0ms));
    EXPECT_LT(out[3].elapsed, 16000ms);
}

// At 19200 baud a read exchange cannot beat its 31 bytes on the wire (about 17.8 ms).
TEST(HostLinkEndToEnd, PacedReadTakesAtLeastItsWireTime) {
    Rig rig(1, "", LinePacing{19200, 0us});
    ASSERT_EQ(rig.opened, 0);
    int32_t value = 0;
    const auto start = Clock::now();
    EXPECT_EQ(rig.ReadAgc(&value), 0);
    const auto elapsed = Clock::now() - start;
    EXPECT_EQ(value, kAgcValue);
    EXPECT_GE(elapsed, 31 * ByteTime(19200));
    // The host's final ACK may still be crossing the pseudo-terminal.
    EXPECT_EQ(rig.events.Count(test::EventCounter::kReplyAccepted, 1), 1);
    EXPECT_EQ(rig.server->BytesFromHost(), 20u);
    EXPECT_EQ(rig.server->BytesToHost(), 12u);
}

}  // namespace
}  // namespace tavin::sim
