// The real dlopen binding against small libraries built with the tests.
#include <gtest/gtest.h>

#include "CameraProtocol.h"
#include "Edition.h"

namespace tavin {
namespace {

TEST(LibraryEndToEndTest, DllNameLoadsTheLibraryBesideTheProgramAndExchanges) {
    CameraProtocol protocol;
    // Built as libcltestcam.so next to this test program.
    ASSERT_EQ(protocol.OpenLibrary("cltestcam.dll"), 0);
    ASSERT_TRUE(protocol.IsLibraryOpen());
    int32_t value = 0;
    EXPECT_EQ(protocol.ReadCameraItem(1, 255, 0x03, 0x2E, 0, 1023, &value), 0);
    EXPECT_EQ(value, 0x0123);
    EXPECT_EQ(protocol.WriteCameraItem(1, 255, 0x01, 0x06, 0, 1, 1), 0);
    EXPECT_EQ(protocol.GetStatus(), 0);
    EXPECT_EQ(protocol.Close(), 0);
    EXPECT_FALSE(protocol.IsLibraryOpen());
}

TEST(LibraryEndToEndTest, LibraryWithoutClSerialCloseIsRefused) {
    CameraProtocol protocol;
    EXPECT_EQ(protocol.OpenLibrary(TEST_LIBRARY_WITHOUT_CLOSE_PATH), -CommStatus::kCannotOpenPort);
    EXPECT_FALSE(protocol.IsLibraryOpen());
    EXPECT_EQ(protocol.OpenLibrary("no-such-board.dll"), -CommStatus::kCannotOpenPort);
}

TEST(LibraryEndToEndTest, SilentBoardTimesOutOnTheLibraryPath) {
    CameraProtocol protocol;
    ASSERT_EQ(protocol.OpenLibrary("cltestcam.dll"), 0);
    // Bytes the library camera does not understand get no answer at all.
    uint8_t byte = 0;
    EXPECT_EQ(protocol.Read(&byte, 1, 1000), 0);
    EXPECT_EQ(protocol.GetStatus(), CommStatus::kTimeOut);
}

}  // namespace
}  // namespace tavin
