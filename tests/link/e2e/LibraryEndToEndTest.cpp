// The real dlopen binding: the simulated board library found beside the program by its Windows
// name, and a library that lacks an entry point. Exchanges and time-outs through the board
// library are checked in tests/sim/e2e.
#include <gtest/gtest.h>
#include <stdlib.h>

#include "CameraProtocol.h"

namespace tavin {
namespace {

TEST(LibraryEndToEndTest, DllNameFindsTheBoardLibraryBesideTheProgram) {
    for (const char* name : {"CLSERSIM_FAULT", "CLSERSIM_STATE", "CLSERSIM_LOG"}) {
        unsetenv(name);
    }
    CameraProtocol protocol;
    // libclsermtx.so next to this test program.
    ASSERT_EQ(protocol.OpenLibrary("clsermtx.dll"), 0);
    ASSERT_TRUE(protocol.IsLibraryOpen());
    int32_t value = 0;
    EXPECT_EQ(protocol.ReadCameraItem(1, 255, 0x04, 0x3C, 0x1FF, 0x0FF, &value), 0);
    EXPECT_EQ(value, 0x114);  // its factory value
    EXPECT_EQ(protocol.Close(), 0);
    EXPECT_FALSE(protocol.IsLibraryOpen());
}

TEST(LibraryEndToEndTest, LibraryWithoutClSerialCloseIsRefused) {
    CameraProtocol protocol;
    EXPECT_EQ(protocol.OpenLibrary(LIBRARY_WITHOUT_CLOSE_PATH), -CommStatus::kCannotOpenPort);
    EXPECT_FALSE(protocol.IsLibraryOpen());
    EXPECT_EQ(protocol.OpenLibrary("no-such-board.dll"), -CommStatus::kCannotOpenPort);
}

}  // namespace
}  // namespace tavin
