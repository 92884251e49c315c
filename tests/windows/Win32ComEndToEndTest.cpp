// End to end on a COM port: the Win32 serial device against the simulated camera. Under Wine,
// run-under-wine.sh serves one well-behaved and one silent camera on pseudo-terminals, points
// COM ports at them and names the ports in TAVIN_WINE_CAMERA_PORT and TAVIN_WINE_SILENT_PORT;
// without those the cases are skipped.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "CameraDataSet.h"
#include "CameraProtocol.h"
#include "Edition.h"
#include "PortMap.h"
#include "RecordingUserInterface.h"

namespace tavin {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr int32_t kAgcItem = 0x2E;  // first group, 0..1023: two bytes on the wire

int PortFromEnvironment(const char* name) {
    const char* text = std::getenv(name);
    return text && *text ? std::atoi(text) : 0;
}

double ThreadCpuMs() {
    FILETIME created, exited, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
    auto ms = [](const FILETIME& t) {
        return static_cast<double>((static_cast<uint64_t>(t.dwHighDateTime) << 32) |
                                   t.dwLowDateTime) /
               10000.0;
    };
    return ms(kernel) + ms(user);
}

class Win32ComEndToEnd : public ::testing::Test {
  protected:
    void SetUp() override {
        cameraPort_ = PortFromEnvironment("TAVIN_WINE_CAMERA_PORT");
        silentPort_ = PortFromEnvironment("TAVIN_WINE_SILENT_PORT");
        if (cameraPort_ == 0 || silentPort_ == 0) {
            GTEST_SKIP() << "no simulated camera on a COM port (run-under-wine.sh serves them)";
        }
    }

    ScopedEdition edition_{kMorva7EEdition};
    testing::RecordingUserInterface ui_;
    int cameraPort_ = 0;
    int silentPort_ = 0;
};

TEST_F(Win32ComEndToEnd, WritesAndReadsItemsByteExactly) {
    CameraProtocol host;
    ASSERT_EQ(host.OpenPort(cameraPort_, 19200), 0) << host.GetStatus();
    EXPECT_TRUE(host.IsPortOpen());
    EXPECT_EQ(host.GetPortNumber(), cameraPort_);
    EXPECT_EQ(host.GetBaudRate(), 19200);

    EXPECT_EQ(host.WriteCameraItem(1, 255, 0x01, kAgcItem, 0, 1023, 0x0123), 0);
    int32_t value = 0;
    EXPECT_EQ(host.ReadCameraItem(1, 255, 0x03, kAgcItem, 0, 1023, &value), 0);
    EXPECT_EQ(value, 0x0123);
    // The reply's value characters as they came off the line: least significant byte first.
    char text[CameraProtocol::kMaxTextLength + 1] = {};
    CameraProtocol::BuildCommand(text, 1, 255, 0x03, kAgcItem, 0, 1023, 0);
    char reply[8] = {};
    ASSERT_EQ(host.SendQuery(text, reply), 6);
    EXPECT_STREQ(reply, "012300");
    // Second group, sign-magnitude range.
    EXPECT_EQ(host.WriteCameraItem(1, 255, 0x02, 0x3C, 0x1FF, 0x0FF, 0x1FF), 0);
    EXPECT_EQ(host.ReadCameraItem(1, 255, 0x04, 0x3C, 0x1FF, 0x0FF, &value), 0);
    EXPECT_EQ(value, 0x1FF);

    // Raw bytes through the transport: the camera acknowledges an ENQ with exactly one ACK.
    const uint8_t enq = 0x05;
    EXPECT_EQ(host.Write(&enq, 1, CameraProtocol::kByteTimeoutMs), 1);
    uint8_t answer[2] = {};
    EXPECT_EQ(host.Read(answer, 1, CameraProtocol::kByteTimeoutMs), 1);
    EXPECT_EQ(answer[0], 0x06);
    EXPECT_EQ(host.Purge(SerialPort::kPurgeTxClear | SerialPort::kPurgeRxClear), 0);
    EXPECT_EQ(host.Close(), 0);
    EXPECT_FALSE(host.IsPortOpen());
    EXPECT_TRUE(ui_.messages.empty());
}

// One conversation a line: a port held is refused to a second open, even where the driver
// would let it through (Wine's does), until the first lets it go.
TEST_F(Win32ComEndToEnd, APortHeldIsRefusedToASecondOpen) {
    CameraProtocol first;
    ASSERT_EQ(first.OpenPort(cameraPort_, 19200), 0) << first.GetStatus();
    CameraProtocol second;
    EXPECT_EQ(second.OpenPort(cameraPort_, 19200), -CommStatus::kCannotOpenPort);
    EXPECT_FALSE(second.IsPortOpen());
    int32_t value = 0;
    EXPECT_EQ(first.ReadCameraItem(1, 255, 0x03, kAgcItem, 0, 1023, &value), 0);
    EXPECT_EQ(first.Close(), 0);
    EXPECT_EQ(second.OpenPort(cameraPort_, 19200), 0) << second.GetStatus();
    EXPECT_EQ(second.ReadCameraItem(1, 255, 0x03, kAgcItem, 0, 1023, &value), 0);
}

TEST_F(Win32ComEndToEnd, TheDataSetReadsAndWritesEveryItem) {
    CameraDataSet data;
    ASSERT_EQ(data.OpenSerialPort(cameraPort_, 19200), 0);
    EXPECT_EQ(data.ReadAllItems(), 1) << data.GetStatus();
    EXPECT_EQ(data.WriteAllItems(), 0) << data.GetStatus();
    EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(Win32ComEndToEnd, SilentCameraTimesOutWithStatus5WithoutSpinning) {
    CameraProtocol host;
    ASSERT_EQ(host.OpenPort(silentPort_, 9600), 0) << host.GetStatus();

    uint8_t bytes[3] = {};
    const double cpuBefore = ThreadCpuMs();
    const auto start = Clock::now();
    EXPECT_EQ(host.Read(bytes, 3, 100), -CommStatus::kTimeOut);
    const auto elapsed = Clock::now() - start;
    const double cpuMs = ThreadCpuMs() - cpuBefore;
    EXPECT_EQ(host.GetStatus(), CommStatus::kTimeOut);
    // 3 bytes at 100 ms each; the tick count may step in 16 ms strides on Windows.
    EXPECT_GE(elapsed, 280ms);
    EXPECT_LT(elapsed, 800ms);
    // The wait sleeps: a polling loop without pauses would burn the whole 300 ms.
    EXPECT_LT(cpuMs, 150.0);
    // The window was kept painted, at most every 50 ms.
    EXPECT_GE(ui_.keepResponsiveCalls, 3);
    EXPECT_LE(ui_.keepResponsiveCalls, 8);

    // Through the protocol: the ENQ is never acknowledged, and the exchange ends with status 5.
    int32_t value = 0;
    EXPECT_EQ(host.ReadCameraItem(1, 255, 0x03, kAgcItem, 0, 1023, &value), -CommStatus::kTimeOut);
    EXPECT_EQ(host.GetStatus(), CommStatus::kTimeOut);
    EXPECT_EQ(host.Close(), 0);
}

// A port number stands for what the environment or the user's port map names, on Windows as on
// Linux: here other numbers for the camera's port.
TEST_F(Win32ComEndToEnd, PortsOpenWhatTheEnvironmentAndThePortMapName) {
    const std::string cameraName = "COM" + std::to_string(cameraPort_);
    std::string error;
    ASSERT_TRUE(WritePortMapEntry(5, cameraName, error)) << error;
    ASSERT_TRUE(WritePortMapEntry(6, "COM" + std::to_string(silentPort_), error)) << error;
    _putenv_s("TAVIN_COM6", ("\\\\.\\" + cameraName).c_str());  // the environment first
    for (const int32_t port : {5, 6}) {
        CameraProtocol host;
        ASSERT_EQ(host.OpenPort(port, 19200), 0) << "COM" << port << ": " << host.GetStatus();
        int32_t value = 0;
        EXPECT_EQ(host.ReadCameraItem(1, 255, 0x03, kAgcItem, 0, 1023, &value), 0) << port;
        EXPECT_EQ(host.Close(), 0);
    }
    _putenv_s("TAVIN_COM6", "");
    EXPECT_TRUE(WritePortMapEntry(5, "", error)) << error;
    EXPECT_TRUE(WritePortMapEntry(6, "", error)) << error;
    EXPECT_TRUE(ReadPortMap().empty());
    EXPECT_TRUE(ui_.messages.empty());
}

}  // namespace
}  // namespace tavin
