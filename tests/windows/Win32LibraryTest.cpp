// The Camera Link binding through LoadLibraryA and GetProcAddress, against the simulated
// camera's board library (a DLL beside this program) and a library that lacks an entry point.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <string>

#include "CameraDataSet.h"
#include "CameraLinkLibrary.h"
#include "CameraProtocol.h"
#include "Edition.h"
#include "RecordingUserInterface.h"

namespace tavin {
namespace {

constexpr int32_t kAgcItem = 0x2E;  // first group, 0..1023: two bytes on the wire

TEST(Win32Library, ExecutableDirectoryIsWhereThisProgramLies) {
    const std::string dir = ExecutableDirectory();
    ASSERT_FALSE(dir.empty());
    EXPECT_NE(dir.back(), '\\');
    EXPECT_TRUE(std::ifstream(dir + "\\windows_tests.exe").good()) << dir;
}

TEST(Win32Library, BareNameLoadsFromTheProgramsDirectoryAndMovesItems) {
    testing::RecordingUserInterface ui;
    CameraProtocol host;
    ASSERT_EQ(host.OpenLibrary("clsermtx.dll"), 0);
    ASSERT_TRUE(host.IsLibraryOpen());
    EXPECT_TRUE(ui.messages.empty());

    int32_t value = 0;
    EXPECT_EQ(host.ReadCameraItem(1, 255, 0x04, 0x3C, 0x1FF, 0x0FF, &value), 0);
    EXPECT_EQ(value, 0x114);  // factory value
    EXPECT_EQ(host.WriteCameraItem(1, 255, 0x01, kAgcItem, 0, 1023, 0x0123), 0);
    EXPECT_EQ(host.ReadCameraItem(1, 255, 0x03, kAgcItem, 0, 1023, &value), 0);
    EXPECT_EQ(value, 0x0123);

    // Nothing is due: the library delivers nothing and the read records a time-out.
    uint8_t byte = 0;
    EXPECT_EQ(host.Read(&byte, 1, 50), 0);
    EXPECT_EQ(host.GetStatus(), CommStatus::kTimeOut);
    EXPECT_EQ(host.Close(), 0);
    EXPECT_FALSE(host.IsLibraryOpen());
}

TEST(Win32Library, TheSingleLibraryProgramReadsAllItemsThroughIt) {
    ScopedEdition edition(kTavinEdition);
    testing::RecordingUserInterface ui;
    CameraDataSet data;
    data.UseSingleLibrary(kTavinEdition.singleLibraryName);
    ASSERT_EQ(data.OpenSerialPort(1, 9600), 0);
    EXPECT_EQ(data.ReadAllItems(), 1) << data.GetStatus();
    EXPECT_TRUE(ui.messages.empty());
    data.Close();
}

TEST(Win32Library, LibrariesThatCannotServeAreRefused) {
    testing::RecordingUserInterface ui;
    CameraProtocol host;
    // A path with Windows separators, to a DLL that lacks clSerialClose.
    const std::string noClose = ExecutableDirectory() + "\\wintestcam_noclose.dll";
    ASSERT_NE(GetFileAttributesA(noClose.c_str()), INVALID_FILE_ATTRIBUTES) << noClose;
    EXPECT_EQ(host.OpenLibrary(noClose), -CommStatus::kCannotOpenPort);
    EXPECT_FALSE(host.IsLibraryOpen());
    EXPECT_EQ(host.OpenLibrary("no-such-board.dll"), -CommStatus::kCannotOpenPort);
    EXPECT_EQ(host.OpenLibrary(""), -CommStatus::kCannotOpenPort);
    EXPECT_TRUE(ui.messages.empty());
}

}  // namespace
}  // namespace tavin
