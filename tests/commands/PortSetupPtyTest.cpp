// End to end: the port command opens a real serial port, a pseudo-terminal with the simulated
// camera at the other end, and reads the camera through it in real time.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QTest>
#include <atomic>
#include <cstdlib>

#include "CSerialPortDlg.h"
#include "CommandRig.h"
#include "DialogBuilder.h"
#include "PtyCameraServer.h"

namespace tavin {
namespace {

using testing::CommandRig;
using testing::WhenShown;

class ScopedPortDevice {
  public:
    explicit ScopedPortDevice(const std::string& path) { setenv(kName, path.c_str(), 1); }
    ~ScopedPortDevice() { unsetenv(kName); }

  private:
    static constexpr const char* kName = "TAVIN_COM2";
};

TEST(PortSetupOnPty, ChosenPortOpensAndTheWholeCameraIsReadThroughIt) {
    std::atomic<int> reads = 0;
    sim::ServerOptions options;
    options.monitor = [&reads](const std::string& line) {
        reads += line.find("host   read") != std::string::npos ? 1 : 0;
    };
    sim::PtyCameraServer camera(std::move(options));
    ScopedPortDevice port(camera.DevicePath());

    CommandRig rig(kMorva7EEdition, false, CommandRig::Port::Platform);
    rig.ShowFrame();
    WhenShown<CSerialPortDlg>([](CSerialPortDlg& dialog) {
        // Nothing opened yet: port 0 and rate 0 show as COM1 and 9600.
        EXPECT_TRUE(DialogItem<QAbstractButton>(dialog, serial_port::kCom1)->isChecked());
        EXPECT_TRUE(DialogItem<QAbstractButton>(dialog, serial_port::kBaud9600)->isChecked());
        QTest::mouseClick(DialogItem<QAbstractButton>(dialog, serial_port::kCom2), Qt::LeftButton);
        QTest::mouseClick(DialogItem<QAbstractButton>(dialog, 1), Qt::LeftButton);
    });
    QTest::keyClick(rig.frame.get(), Qt::Key_L, Qt::ControlModifier);

    EXPECT_TRUE(rig.messages.requests.empty()) << rig.messages.Texts().join('|').toStdString();
    EXPECT_TRUE(rig.data->IsPortOpen());
    EXPECT_EQ(rig.data->GetPortNumber(), 2);
    EXPECT_EQ(rig.data->GetBaudRate(), 9600);
    EXPECT_EQ(reads.load(), 45);
    EXPECT_EQ(rig.refreshes, 1);
    rig.frame->UpdatePortPane();
    EXPECT_EQ(rig.frame->PortPaneText(), QStringLiteral("COM2"));
}

}  // namespace
}  // namespace tavin
