// The program's real Camera Link binding (dlopen by file name, the four calls) against the
// simulated camera's library, under the name the Camera-Link-only program loads.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>

#include "CameraProtocol.h"

namespace tavin {
namespace {

using namespace std::chrono_literals;

TEST(LibraryFormEndToEnd, ReadWriteAndTimeOutThroughTheBoardLibrary) {
    for (const char* name : {"CLSERSIM_FAULT", "CLSERSIM_STATE", "CLSERSIM_LOG"}) {
        unsetenv(name);
    }
    CameraProtocol host;
    ASSERT_EQ(host.OpenLibrary(SIM_BOARD_LIBRARY), 0);
    ASSERT_TRUE(host.IsLibraryOpen());

    // Second group, factory value 0x114.
    int32_t value = 0;
    EXPECT_EQ(host.ReadCameraItem(1, 255, 0x04, 0x3C, 0x1FF, 0x0FF, &value), 0);
    EXPECT_EQ(value, 0x114);

    EXPECT_EQ(host.WriteCameraItem(1, 255, 0x01, 0x2E, 0, 1023, 0x0123), 0);
    EXPECT_EQ(host.ReadCameraItem(1, 255, 0x03, 0x2E, 0, 1023, &value), 0);
    EXPECT_EQ(value, 0x0123);

    // Nothing is due from the camera: the library waits out the time-out and delivers nothing.
    uint8_t byte = 0;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(host.Read(&byte, 1, 200), 0);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 200ms);
    EXPECT_EQ(host.GetStatus(), CommStatus::kTimeOut);
    host.Close();
}

}  // namespace
}  // namespace tavin
