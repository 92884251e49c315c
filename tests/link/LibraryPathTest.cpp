// The Camera Link library path of the transport, and the single-library edition, against a
// fake library in virtual time.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CameraLinkLibrary.h"
#include "CameraProtocol.h"
#include "FakeCameraLinkLibrary.h"
#include "FakeSerialDevice.h"
#include "RecordingUserInterface.h"

namespace tavin {
namespace {

using testing::FakeCameraPeer;
using Strings = std::vector<std::string>;

TEST(LibraryCandidatesTest, DllNamesAlsoTrySharedObjectsExecutableDirectoryFirst) {
    EXPECT_EQ(LibraryCandidates("clsermtx.dll", "/opt/cam"),
              (Strings{"/opt/cam/clsermtx.dll", "clsermtx.dll", "/opt/cam/clsermtx.so",
                       "clsermtx.so", "/opt/cam/libclsermtx.so", "libclsermtx.so"}));
    EXPECT_EQ(LibraryCandidates("CLSEREMC.DLL", ""),
              (Strings{"CLSEREMC.DLL", "CLSEREMC.so", "libCLSEREMC.so"}));
    EXPECT_EQ(LibraryCandidates("libboard.so", "/opt/cam"),
              (Strings{"/opt/cam/libboard.so", "libboard.so"}));
    EXPECT_EQ(LibraryCandidates("/usr/lib/board.dll", "/opt/cam"), (Strings{"/usr/lib/board.dll"}));
    EXPECT_EQ(LibraryCandidates("", "/opt/cam"), Strings{});
}

class LibraryPathTest : public ::testing::Test {
  protected:
    void SetUp() override {
        link.Attach(protocol);
        start = link.clock.NowMs();
    }
    uint64_t Elapsed() { return link.clock.NowMs() - start; }

    testing::FakeLink link;
    testing::FakeCameraLinkLibrary library{link.line};
    testing::RecordingUserInterface ui;
    CameraProtocol protocol;
    uint64_t start = 0;
};

TEST_F(LibraryPathTest, LibraryThatCannotBeFoundRecordsFour) {
    library.files.clear();
    EXPECT_EQ(protocol.OpenLibrary("clseremc.dll"), -CommStatus::kCannotOpenPort);
    EXPECT_FALSE(protocol.IsLibraryOpen());
    EXPECT_EQ(library.triedPaths.back(), "libclseremc.so");
}

TEST_F(LibraryPathTest, DllNameFindsTheSharedObject) {
    library.files = {"libclseremc.so"};
    EXPECT_EQ(protocol.OpenLibrary("clseremc.dll"), 0);
    EXPECT_TRUE(protocol.IsLibraryOpen());
    EXPECT_TRUE(ui.messages.empty());
}

class MissingEntryPointTest : public LibraryPathTest,
                              public ::testing::WithParamInterface<const char*> {};

TEST_P(MissingEntryPointTest, LibraryIsUnloadedAndNeverCalled) {
    library.missingEntryPoints = {GetParam()};
    EXPECT_EQ(protocol.OpenLibrary("clsermtx.dll"), -CommStatus::kCannotOpenPort);
    EXPECT_EQ(library.unloadCount, 1);
    EXPECT_EQ(library.initCount, 0);
    EXPECT_FALSE(protocol.IsLibraryOpen());
}

INSTANTIATE_TEST_SUITE_P(EntryPoints, MissingEntryPointTest,
                         ::testing::Values("clSerialInit", "clSerialRead", "clSerialWrite",
                                           "clSerialClose"));

TEST_F(LibraryPathTest, FailedInitShowsBordOpenErrorAndStillSucceeds) {
    library.initResult = -1;
    EXPECT_EQ(protocol.OpenLibrary("clsermtx.dll"), 0);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Bord Open Error");
    EXPECT_EQ(ui.messages[0].caption, "Error");
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Error);
    // Whatever the failing library left in the reference, there is no link to call.
    EXPECT_FALSE(protocol.IsLibraryOpen());
    EXPECT_EQ(protocol.SendCommand("01FF0106010000"), -CommStatus::kPortNotOpen);
    EXPECT_FALSE(library.foreignReference);
}

TEST_F(LibraryPathTest, ExchangeUsesTheLibraryWithTheFullReference) {
    ASSERT_EQ(protocol.OpenLibrary("clsermtx.dll"), 0);
    EXPECT_EQ(protocol.WriteCameraItem(1, 255, 0x01, 0x2E, 0, 1023, 0x0123), 0);
    int32_t value = 0;
    EXPECT_EQ(protocol.ReadCameraItem(1, 255, 0x03, 0x2E, 0, 1023, &value), 0);
    EXPECT_EQ(value, 0x0123);
    EXPECT_FALSE(library.foreignReference);
    EXPECT_EQ(protocol.GetStatus(), 0);  // the purge of a library exchange records nothing
    EXPECT_EQ(library.readTimeouts.front(), 1000u);  // ACK wait, passed on unchanged
}

TEST_F(LibraryPathTest, LibraryTakesPrecedenceOverAnOpenPort) {
    ASSERT_EQ(protocol.OpenPort(1, 19200), 0);
    ASSERT_EQ(protocol.OpenLibrary("clsermtx.dll"), 0);
    EXPECT_EQ(protocol.SendCommand("01FF0106010000"), 0);
    EXPECT_TRUE(link.device->written.empty());
    EXPECT_TRUE(link.device->purges.empty());
}

TEST_F(LibraryPathTest, SilentCameraReportsTimeOut) {
    ASSERT_EQ(protocol.OpenLibrary("clsermtx.dll"), 0);
    link.peer.SetSilent(true);
    EXPECT_EQ(protocol.SendCommand("01FF0106010000"), -CommStatus::kTimeOut);
    EXPECT_EQ(link.peer.EnqCount(), 4);
    EXPECT_EQ(Elapsed(), 4000u);
}

TEST_F(LibraryPathTest, ShortReadReturnsTheDeliveredCountAndRecordsTimeOut) {
    ASSERT_EQ(protocol.OpenLibrary("clsermtx.dll"), 0);
    link.line.CameraSends({1, 2, 3});
    uint8_t bytes[9];
    EXPECT_EQ(protocol.Read(bytes, 9, 1000), 3);
    EXPECT_EQ(protocol.GetStatus(), CommStatus::kTimeOut);
    EXPECT_EQ(protocol.Purge(SerialPort::kPurgeRxClear), 0);
}

TEST_F(LibraryPathTest, MissingReplyEndsEachRequestWhenTheLibraryDeliversNothing) {
    ASSERT_EQ(protocol.OpenLibrary("clsermtx.dll"), 0);
    link.peer.Script(FakeCameraPeer::Event::kFrame, FakeCameraPeer::Bytes({kAck}), 4);
    int32_t value = -1;
    EXPECT_EQ(protocol.ReadCameraItem(1, 255, 0x03, 0x2E, 0, 1023, &value), -CommStatus::kTimeOut);
    EXPECT_EQ(link.peer.FrameCount(), 4);
    EXPECT_EQ(Elapsed(), 4 * (2u + 2u + 4000u));
}

TEST_F(LibraryPathTest, FailingOrShortLibraryWriteRecordsItsOwnCode) {
    ASSERT_EQ(protocol.OpenLibrary("clsermtx.dll"), 0);
    for (const bool fails : {true, false}) {
        protocol.SetStatus(CommStatus::kChecksumMismatch);  // left by an earlier exchange
        library.writeFails = fails;
        library.writeTakes = fails ? -1 : 0;
        EXPECT_EQ(protocol.SendCommand("01FF0106010000"),
                  fails ? -CommStatus::kIoError : -CommStatus::kTimeOut);
    }
}

TEST_F(LibraryPathTest, NegativeCountNeverReachesTheLibrary) {
    ASSERT_EQ(protocol.OpenLibrary("clsermtx.dll"), 0);
    uint8_t byte = 0;
    EXPECT_EQ(protocol.Read(&byte, -1, 1000), -CommStatus::kBadByteCount);
    EXPECT_TRUE(library.readTimeouts.empty());
}

TEST_F(LibraryPathTest, CloseEndsTheLinkButKeepsTheModule) {
    ASSERT_EQ(protocol.OpenLibrary("clsermtx.dll"), 0);
    EXPECT_EQ(protocol.Close(), 0);
    EXPECT_EQ(library.closeCount, 1);
    EXPECT_FALSE(protocol.IsLibraryOpen());
    EXPECT_EQ(library.unloadCount, 0);
    EXPECT_EQ(protocol.Purge(SerialPort::kPurgeRxClear), -CommStatus::kPortNotOpen);
}

TEST_F(LibraryPathTest, SingleLibraryModeOpensItsLibraryWhateverTheArguments) {
    protocol.UseSingleLibrary("clsermtx.dll");
    library.files = {"libclsermtx.so"};
    EXPECT_EQ(protocol.OpenPort(3, 19200), 0);
    EXPECT_TRUE(protocol.IsLibraryOpen());
    EXPECT_EQ(protocol.GetPortNumber(), 0);
    EXPECT_EQ(protocol.GetBaudRate(), 0);
    EXPECT_EQ(link.device->openCount, 0);
    EXPECT_EQ(protocol.SendCommand("01FF0106010000"), 0);
}

TEST_F(LibraryPathTest, SingleLibraryModeClosesTheEarlierLinkOnEveryOpen) {
    protocol.UseSingleLibrary("clsermtx.dll");
    ASSERT_EQ(protocol.OpenPort(1, 19200), 0);
    ASSERT_EQ(protocol.OpenPort(1, 19200), 0);
    EXPECT_EQ(library.initCount, 2);
    EXPECT_EQ(library.closeCount, 1);
    EXPECT_TRUE(protocol.IsLibraryOpen());
}

TEST_F(LibraryPathTest, SingleLibraryModeNeitherShowsAFailedInitNorFindsAMissingFile) {
    protocol.UseSingleLibrary("clsermtx.dll");
    library.initResult = 3;
    EXPECT_EQ(protocol.OpenPort(1, 19200), 0);
    EXPECT_TRUE(ui.messages.empty());
    library.files.clear();
    EXPECT_EQ(protocol.OpenPort(1, 19200), -CommStatus::kCannotOpenPort);
}

}  // namespace
}  // namespace tavin
