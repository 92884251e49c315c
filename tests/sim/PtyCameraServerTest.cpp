#include "PtyCameraServer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "RawTerminal.h"
#include "SimTestBytes.h"

namespace tavin::sim {
namespace {

using namespace std::chrono_literals;
using test::Concat;
using test::Frame;
using test::Hex;
using test::RawTerminal;

const auto kWait = 2000ms;  // only reached when something is broken

TEST(PtyCameraServer, StartsQuicklyAndAnswersOnItsDevice) {
    const auto before = std::chrono::steady_clock::now();
    PtyCameraServer server;
    EXPECT_LT(std::chrono::steady_clock::now() - before, 50ms);

    RawTerminal host(server.DevicePath());
    ASSERT_TRUE(host.IsOpen()) << server.DevicePath();
    host.Write(Concat({kEnq}, Frame("01FF0106000000")));
    EXPECT_EQ(host.Read(2, kWait), Hex("06 06"));
    EXPECT_EQ(server.Value(CommandGroup::First, 0x06), 0);
    EXPECT_EQ(server.BytesFromHost(), 19u);
    EXPECT_EQ(server.BytesToHost(), 2u);
}

TEST(PtyCameraServer, SurvivesTheHostClosingAndReopening) {
    PtyCameraServer server;
    for (int session = 0; session < 3; ++session) {
        RawTerminal host(server.DevicePath());
        host.Write({kEnq});
        EXPECT_EQ(host.Read(1, kWait), std::vector<uint8_t>{kAck}) << "session " << session;
    }
}

TEST(PtyCameraServer, StopRemovesTheDevice) {
    std::string path;
    {
        PtyCameraServer server;
        path = server.DevicePath();
        struct stat st;
        EXPECT_EQ(stat(path.c_str(), &st), 0);
    }
    struct stat st;
    EXPECT_NE(stat(path.c_str(), &st), 0) << path << " still there";
}

TEST(PtyCameraServer, HangUpClosesTheLineUnderTheHost) {
    PtyCameraServer server({.fault = Fault{FaultKind::HangUp, 0}});
    RawTerminal host(server.DevicePath());
    host.Write({kEnq});
    EXPECT_EQ(host.Read(1, kWait), std::vector<uint8_t>{kAck});
    EXPECT_FALSE(server.WaitForHangUp(0ms));
    host.Write(Frame("01FF032E000000"));
    EXPECT_TRUE(server.WaitForHangUp(kWait));
    EXPECT_TRUE(host.Read(1, kWait).empty());
    EXPECT_TRUE(host.SawHangUp());
}

TEST(PtyCameraServer, TakesAFaultSettingsAndAHangUpWhileItRuns) {
    PtyCameraServer server;
    RawTerminal host(server.DevicePath());
    server.SetFault(Fault{FaultKind::EnqNak, 0});
    EXPECT_EQ(server.CurrentFault().kind, FaultKind::EnqNak);
    host.Write({kEnq});
    EXPECT_EQ(host.Read(1, kWait), std::vector<uint8_t>{kNak});

    std::array<int32_t, kFactoryItemCount> values{};
    values[0] = 0;  // FD, item 06, leaves the factory at 1
    server.Load(values);
    EXPECT_EQ(server.Value(CommandGroup::First, 0x06), 0);

    server.HangUp();
    EXPECT_TRUE(server.WaitForHangUp(kWait));
    EXPECT_TRUE(host.Read(1, kWait).empty());
    EXPECT_TRUE(host.SawHangUp());
}

// At 9600 baud a read needs 31 byte times on the line before the reply is in: about 35.5 ms.
TEST(PtyCameraServer, PacedReadTakesItsWireTime) {
    PtyCameraServer server({.pacing = {9600, 0us}});
    RawTerminal host(server.DevicePath());
    const auto start = std::chrono::steady_clock::now();
    host.Write({kEnq});
    ASSERT_EQ(host.Read(1, kWait).size(), 1u);
    host.Write(Frame("01FF032E000000"));
    ASSERT_EQ(host.Read(11, kWait).size(), 11u);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed, 31 * ByteTime(9600));
    EXPECT_LT(elapsed, 31 * ByteTime(9600) + 30ms);
}

TEST(PtyCameraServer, MonitorGetsTimeStampedLines) {
    std::vector<std::string> lines;
    std::mutex mutex;
    std::condition_variable cv;
    PtyCameraServer server({.monitor = [&](const std::string& line) {
        std::lock_guard lock(mutex);
        lines.push_back(line);
        cv.notify_all();
    }});
    RawTerminal host(server.DevicePath());
    host.Write({kEnq});
    std::unique_lock lock(mutex);
    ASSERT_TRUE(cv.wait_for(lock, kWait, [&] { return !lines.empty(); }));
    EXPECT_NE(lines[0].find("host   ENQ  -> ACK"), std::string::npos) << lines[0];
    EXPECT_EQ(lines[0].find("   0.0"), 0u) << lines[0];
}

}  // namespace
}  // namespace tavin::sim
