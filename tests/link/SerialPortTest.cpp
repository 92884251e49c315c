// The port path of the transport in virtual time, against a fake serial device.
#include <gtest/gtest.h>

#include <vector>

#include "FakeSerialDevice.h"
#include "RecordingUserInterface.h"
#include "SerialPort.h"

namespace tavin {
namespace {

using Bytes = std::vector<uint8_t>;
constexpr uint8_t kAckByte = 0x06;

class SerialPortTest : public ::testing::Test {
  protected:
    void SetUp() override { link.Attach(port); }
    void OpenFine() { ASSERT_EQ(port.Open(2, 19200, 8, SerialPort::kTwoStopBits, 0), 0); }

    testing::FakeLink link;
    SerialPort port;
};

TEST_F(SerialPortTest, OpenHandsTheLineSettingsToTheDevice) {
    ASSERT_EQ(port.Open(3, 9600, 8, SerialPort::kTwoStopBits, 0), 0);
    EXPECT_TRUE(port.IsPortOpen());
    EXPECT_EQ(port.GetPortNumber(), 3);
    EXPECT_EQ(port.GetBaudRate(), 9600);
    EXPECT_EQ(link.device->openedPort, 3);
    EXPECT_EQ(link.device->settings.baudRate, 9600);
    EXPECT_EQ(link.device->settings.byteSize, 8);
    EXPECT_EQ(link.device->settings.stopBits, 2);
    EXPECT_EQ(link.device->settings.parity, 0);
}

TEST_F(SerialPortTest, PortNumberAboveTenClosesTheLinkAndRecordsTwo) {
    for (int32_t number : {11, -1}) {
        OpenFine();
        EXPECT_EQ(port.Open(number, 19200, 8, 2, 0), -CommStatus::kBadPortNumber);
        EXPECT_FALSE(port.IsPortOpen());
        EXPECT_EQ(port.GetPortNumber(), 2);  // not stored
    }
}

TEST_F(SerialPortTest, PortZeroPassesTheRangeCheckAndFailsToOpen) {
    link.device->openResult = SerialDevice::OpenResult::kCannotOpen;
    EXPECT_EQ(port.Open(0, 19200, 8, 2, 0), -CommStatus::kCannotOpenPort);
    EXPECT_EQ(link.device->openedPort, 0);
    EXPECT_EQ(port.GetPortNumber(), 0);
    EXPECT_FALSE(port.IsPortOpen());
}

TEST_F(SerialPortTest, RefusedSettingsReportTheLineErrorAndLeaveThePortOpen) {
    link.device->openResult = SerialDevice::OpenResult::kSettingsRefused;
    EXPECT_EQ(port.Open(1, 19200, 8, 2, 0), -CommStatus::kTimeOut);  // no flags: 5
    EXPECT_TRUE(port.IsPortOpen());
    link.device->lineErrors = CommStatus::kCeRxParity;
    EXPECT_EQ(port.Open(1, 19200, 8, 2, 0), -CommStatus::kRxParity);
}

TEST_F(SerialPortTest, ByteCountZeroOrLessRecordsSixEvenWithoutAPort) {
    uint8_t byte = 0;
    EXPECT_EQ(port.Read(&byte, 0, 1000), -CommStatus::kBadByteCount);
    port.SetStatus(0);
    EXPECT_EQ(port.Write(&byte, -1, 1000), -CommStatus::kBadByteCount);
}

TEST_F(SerialPortTest, TransfersWithoutAnOpenPortRecordThree) {
    OpenFine();
    EXPECT_EQ(port.Close(), 0);
    uint8_t byte = 0x05;
    EXPECT_EQ(port.Write(&byte, 1, 1000), -CommStatus::kPortNotOpen);
    port.SetStatus(0);
    EXPECT_EQ(port.Read(&byte, 1, 1000), -CommStatus::kPortNotOpen);
    port.SetStatus(0);
    EXPECT_EQ(port.Purge(SerialPort::kPurgeTxClear | SerialPort::kPurgeRxClear),
              -CommStatus::kPortNotOpen);
}

TEST_F(SerialPortTest, ReadCollectsBytesThatArriveInPieces) {
    OpenFine();
    link.line.CameraSends({1, 2, 3}, 100);
    link.line.CameraSends({4, 5}, 700);
    Bytes got(5);
    const uint64_t start = link.clock.NowMs();
    EXPECT_EQ(port.Read(got.data(), 5, 1000), 5);
    EXPECT_EQ(got, (Bytes{1, 2, 3, 4, 5}));
    EXPECT_EQ(link.clock.NowMs() - start, 700u);  // returned when the last byte came
}

TEST_F(SerialPortTest, ReadGivesUpAtCountTimesTimeoutAndDropsPartialData) {
    OpenFine();
    link.line.CameraSends({1, 2, 3, 4, 5}, 10);
    link.line.CameraSends({9}, 9500);  // too late for this read
    Bytes got(9);
    const uint64_t start = link.clock.NowMs();
    EXPECT_EQ(port.Read(got.data(), 9, 1000), -CommStatus::kTimeOut);
    EXPECT_EQ(link.clock.NowMs() - start, 9000u);
    EXPECT_EQ(port.GetStatus(), CommStatus::kTimeOut);
    // The five early bytes are gone; the next read sees only the late one.
    EXPECT_EQ(port.Read(got.data(), 1, 1000), 1);
    EXPECT_EQ(got[0], 9);
}

TEST_F(SerialPortTest, ReadTimeOutReportsLineErrorsInTheirOrder) {
    OpenFine();
    link.device->lineErrors = CommStatus::kCeBreak | CommStatus::kCeFrame;
    uint8_t byte = 0;
    EXPECT_EQ(port.Read(&byte, 1, 1000), -CommStatus::kBreak);
}

TEST_F(SerialPortTest, DriverWriteFailureReturnsZeroAndRecordsTheLineError) {
    OpenFine();
    link.device->failingWrites = 1;
    link.device->writeErrorFlags = CommStatus::kCeFrame;
    const uint8_t bytes[] = {0x05, 0x06};
    EXPECT_EQ(port.Write(bytes, 2, 1000), 0);
    EXPECT_EQ(port.GetStatus(), CommStatus::kFraming);
    ASSERT_FALSE(link.device->purges.empty());
    EXPECT_TRUE(link.device->purges.back().output);
    EXPECT_FALSE(link.device->purges.back().input);
}

TEST_F(SerialPortTest, WriteReturnsOnceTheBytesLeftAndStallsEndAtTheDeadline) {
    OpenFine();
    const uint8_t bytes[] = {0x05, 0x06, 0x15};
    EXPECT_EQ(port.Write(bytes, 3, 1000), 3);
    EXPECT_EQ(link.device->written, (Bytes{0x05, 0x06, 0x15}));

    link.device->outputStalled = true;
    const uint64_t start = link.clock.NowMs();
    EXPECT_EQ(port.Write(bytes, 3, 1000), 0);  // nothing left the host
    EXPECT_EQ(link.clock.NowMs() - start, 3000u);
    EXPECT_EQ(port.GetStatus(), CommStatus::kTimeOut);
    // The stale block is purged, so a retry does not queue behind it.
    EXPECT_EQ(link.device->PendingOutput(), 0);
    ASSERT_FALSE(link.device->purges.empty());
    EXPECT_TRUE(link.device->purges.back().output && !link.device->purges.back().input);
}

TEST_F(SerialPortTest, CompletedReadEndsAnEarlierIoFailureButKeepsLineErrors) {
    struct Case {
        uint32_t notedBefore;
        int32_t laterTimeOut;
    };
    for (const Case c : {Case{CommStatus::kCeIoe, CommStatus::kTimeOut},
                         Case{CommStatus::kCeIoe | CommStatus::kCeFrame, CommStatus::kFraming}}) {
        OpenFine();
        link.device->lineErrors = c.notedBefore;
        link.line.CameraSends({kAckByte});
        uint8_t byte = 0;
        ASSERT_EQ(port.Read(&byte, 1, 1000), 1);
        EXPECT_EQ(port.Read(&byte, 1, 1000), -c.laterTimeOut);
    }
}

// A network connection the server closed: nothing more can come, so neither a read nor a write
// waits out its deadline. Bytes that came before the loss are still read.
TEST_F(SerialPortTest, ALostLineFailsTheTransferAtOnceWithTheIoError) {
    OpenFine();
    link.line.CameraSends({kAckByte, kAckByte});
    link.device->lost = true;
    uint8_t got[9] = {};
    EXPECT_EQ(port.Read(got, 1, 1000), 1);
    uint64_t start = link.clock.NowMs();
    EXPECT_EQ(port.Read(got, 9, 1000), -CommStatus::kIoError);
    EXPECT_LE(link.clock.NowMs() - start, 50u);  // one look for more, not the 9 s deadline

    OpenFine();
    link.device->outputStalled = true;  // the bytes will never be seen to leave
    link.device->loseOnWrite = true;
    start = link.clock.NowMs();
    const uint8_t frame[] = {0x02, 0x30, 0x03};
    EXPECT_EQ(port.Write(frame, 3, 1000), 0);
    EXPECT_EQ(port.GetStatus(), CommStatus::kIoError);
    EXPECT_EQ(link.clock.NowMs(), start);
}

TEST_F(SerialPortTest, PurgeClearsEachQueueSeparatelyAndReportsRefusal) {
    OpenFine();
    EXPECT_EQ(port.Purge(SerialPort::kPurgeTxClear), 0);
    EXPECT_EQ(port.Purge(SerialPort::kPurgeRxClear), 0);
    ASSERT_EQ(link.device->purges.size(), 2u);
    EXPECT_TRUE(link.device->purges[0].output && !link.device->purges[0].input);
    EXPECT_TRUE(!link.device->purges[1].output && link.device->purges[1].input);
    link.device->purgeRefused = true;
    EXPECT_EQ(port.Purge(SerialPort::kPurgeRxClear), -CommStatus::kPurgeFailed);
}

TEST_F(SerialPortTest, CloseEmptiesBothQueuesAndClosesTheDevice) {
    OpenFine();
    port.Close();
    ASSERT_FALSE(link.device->purges.empty());
    EXPECT_TRUE(link.device->purges.back().output && link.device->purges.back().input);
    EXPECT_EQ(link.device->closeCount, 1);
    EXPECT_EQ(port.Close(), 0);  // closing twice is harmless
    EXPECT_EQ(link.device->closeCount, 1);
}

// Records the virtual time of every KeepResponsive call.
class TimedUserInterface final : public UserInterface {
  public:
    explicit TimedUserInterface(testing::VirtualClock& clock)
        : clock_(clock), previous_(InstallUserInterface(this)) {}
    ~TimedUserInterface() override { InstallUserInterface(previous_); }
    void ShowMessage(const std::string&, const std::string&, MessageIcon) override {}
    bool HasMainWindow() override { return true; }
    void SetStatusText(const std::string&) override {}
    void KeepResponsive() override { times.push_back(clock_.NowMs()); }
    std::vector<uint64_t> times;

  private:
    testing::VirtualClock& clock_;
    UserInterface* previous_;
};

TEST_F(SerialPortTest, LongWaitsLetTheUserInterfaceRepaintEveryFiftyMilliseconds) {
    OpenFine();
    TimedUserInterface ui(link.clock);
    uint8_t byte = 0;
    const uint64_t start = link.clock.NowMs();
    EXPECT_EQ(port.Read(&byte, 1, 1000), -CommStatus::kTimeOut);
    ASSERT_GE(ui.times.size(), 15u);
    uint64_t previous = start;
    for (uint64_t t : ui.times) {
        EXPECT_GE(t - previous, 50u);
        EXPECT_LE(t - previous, 100u);
        previous = t;
    }
}

}  // namespace
}  // namespace tavin
