// The real termios code against the simulated camera on a pseudo-terminal, in real time. The
// exchanges themselves are checked against the same camera in tests/sim/e2e.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/resource.h>

#include <chrono>

#include "CameraProtocol.h"
#include "PtyCameraServer.h"
#include "RecordingUserInterface.h"

namespace tavin {
namespace {

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

class PtyEndToEndTest : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("TAVIN_COM7", camera.DevicePath().c_str(), 1);
        ASSERT_EQ(protocol.OpenPort(7, 19200), 0);
    }
    void TearDown() override { unsetenv("TAVIN_COM7"); }

    sim::PtyCameraServer camera{{.fault = {sim::FaultKind::Silent}}};
    CameraProtocol protocol;
};

TEST_F(PtyEndToEndTest, SilentCameraTimesOutAfterFourSecondsWithoutBurningTheCpu) {
    testing::RecordingUserInterface ui;
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = CpuSeconds();
    EXPECT_EQ(protocol.SendCommand("01FF0106010000"), -CommStatus::kTimeOut);
    const double cpu = CpuSeconds() - cpuStart;
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    RecordProperty("wall_ms", static_cast<int>(wall * 1000));
    RecordProperty("cpu_ms", static_cast<int>(cpu * 1000));
    std::printf("silent camera: wall %.3f s, cpu %.3f s, %d repaints\n", wall, cpu,
                ui.keepResponsiveCalls);
    EXPECT_GE(wall, 3.95);
    EXPECT_LT(wall, 5.0);
    EXPECT_LT(cpu, 0.1);
    EXPECT_GE(ui.keepResponsiveCalls, 60);  // about every 50 ms of the 4 s
}

TEST_F(PtyEndToEndTest, PortIsOpenedExclusively) {
    CameraProtocol second;
    EXPECT_EQ(second.OpenPort(7, 19200), -CommStatus::kCannotOpenPort);
}

TEST(PtyOpenTest, MissingDeviceRecordsFour) {
    unsetenv("TAVIN_COM9");
    setenv("TAVIN_COM9", "/dev/no-such-serial-port", 1);
    CameraProtocol protocol;
    EXPECT_EQ(protocol.OpenPort(9, 19200), -CommStatus::kCannotOpenPort);
    EXPECT_FALSE(protocol.IsPortOpen());
    unsetenv("TAVIN_COM9");
}

}  // namespace
}  // namespace tavin
