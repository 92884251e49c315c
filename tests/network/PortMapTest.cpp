// The user's COM port map: shared with Qt's settings file, resolved in its place between the
// environment and the built-in ports, and shown on the port buttons of both port dialogs.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QSettings>
#include <QTemporaryFile>
#include <cstdlib>

#include "CCommSystemDlg.h"
#include "CSerialPortDlg.h"
#include "DialogBuilder.h"
#include "Edition.h"
#include "PortMap.h"
#include "PortNames.h"
#include "StringIds.h"
#include "StringTable.h"

namespace tavin {
namespace {

// The profile Qt keeps for the RS-232C program (in the test main's scratch folder).
QSettings Profile() {
    return QSettings(QString::fromUtf8(LoadText(string_id::kCompany, EditionKind::Morva7E)),
                     QString::fromUtf8(LoadText(string_id::kAppTitle, EditionKind::Morva7E)));
}

class PortMapTest : public ::testing::Test {
  protected:
    void SetUp() override { Clear(); }
    void TearDown() override { Clear(); }
    static void Clear() {
        QSettings profile = Profile();
        profile.clear();
        profile.sync();
        for (int port = 1; port <= 10; ++port) {
            ::unsetenv(("TAVIN_COM" + std::to_string(port)).c_str());
        }
    }
    static void Map(int port, const std::string& device) {
        std::string error;
        ASSERT_TRUE(WritePortMapEntry(port, device, error)) << error;
    }
};

TEST_F(PortMapTest, SharesTheProfileWithQtsSettings) {
    {
        QSettings profile = Profile();
        profile.setValue("ComPort", 3);
        profile.setValue("Recent File List/File1", "/home/op/line 4.tvn");
        profile.setValue("Ports/COM4", "tcp://camera-4.plant:4001");
        profile.sync();
    }
    const std::pair<int, std::string> entries[] = {
        {1, "/dev/serial/by-id/usb-Maker_Camera_A1-if00-port0"},
        {2, "rfc2217://10.0.0.5:2217"},
        {3, "/dev/odd name;with=\"signs\""},
    };
    for (const auto& [port, device] : entries) {
        Map(port, device);
    }
    Map(2, "rfc2217://10.0.0.6:2217");  // replaced in place

    QSettings profile = Profile();
    EXPECT_EQ(profile.value("ComPort").toInt(), 3);
    EXPECT_EQ(profile.value("Recent File List/File1").toString(), "/home/op/line 4.tvn");
    EXPECT_EQ(profile.value("Ports/COM1").toString().toStdString(), entries[0].second);
    EXPECT_EQ(profile.value("Ports/COM2").toString(), "rfc2217://10.0.0.6:2217");
    EXPECT_EQ(profile.value("Ports/COM3").toString().toStdString(), entries[2].second);

    const std::map<int32_t, std::string> expected = {{1, entries[0].second},
                                                     {2, "rfc2217://10.0.0.6:2217"},
                                                     {3, entries[2].second},
                                                     {4, "tcp://camera-4.plant:4001"}};
    EXPECT_EQ(ReadPortMap(), expected);

    Map(4, "");
    EXPECT_EQ(MappedDevice(4), "");
    EXPECT_EQ(ReadPortMap().size(), 3u);
    profile.sync();
    EXPECT_FALSE(profile.contains("Ports/COM4"));
    EXPECT_EQ(profile.value("ComPort").toInt(), 3);
}

TEST_F(PortMapTest, EnvironmentFirstThenMapThenBuiltInPort) {
    EXPECT_EQ(ComPortDeviceName(5), "/dev/ttyS4");
    Map(5, "/dev/ttyUSB7");
    EXPECT_EQ(ComPortDeviceName(5), "/dev/ttyUSB7");
    ::setenv("TAVIN_COM5", "/dev/pts/9", 1);
    EXPECT_EQ(ComPortDeviceName(5), "/dev/pts/9");
}

TEST_F(PortMapTest, PortButtonsShowTheirDevices) {
    QTemporaryFile present;
    ASSERT_TRUE(present.open());
    const std::string presentPath = present.fileName().toStdString();
    Map(1, presentPath);
    Map(2, "/dev/serial/by-id/usb-Maker_Camera_gone-if00-port0");
    Map(3, "rfc2217://10.0.0.5:2217");

    const std::string gone = "/dev/serial/by-id/usb-Maker_Camera_gone-if00-port0 (does not exist)";
    CCommSystemDlg start;
    const auto startTip = [&](int port) {
        return DialogItem(start, comm_system::kFirstPort + port - 1)->toolTip().toStdString();
    };
    EXPECT_EQ(startTip(1), presentPath);
    EXPECT_EQ(startTip(2), gone);
    EXPECT_EQ(startTip(3), "rfc2217://10.0.0.5:2217");

    CSerialPortDlg setup;
    EXPECT_EQ(DialogItem(setup, serial_port::kCom1)->toolTip().toStdString(), presentPath);
    EXPECT_EQ(DialogItem(setup, serial_port::kCom2)->toolTip().toStdString(), gone);
}

}  // namespace
}  // namespace tavin
