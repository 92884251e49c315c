// The COM port map on Windows: the section "Ports" of the RS-232C program's profile, which Qt's
// settings keep in the registry. The programs read it through QSettings' key, tavinctl and the
// link without Qt, so both must name the same values; the link resolves a port through it.
#include <gtest/gtest.h>

#include <QSettings>
#include <cstdlib>
#include <map>
#include <string>

#include "Edition.h"
#include "PortMap.h"
#include "PortNames.h"
#include "StringIds.h"
#include "StringTable.h"

namespace tavin {
namespace {

QSettings Profile() {
    return QSettings(QString::fromUtf8(LoadText(string_id::kCompany, EditionKind::Morva7E)),
                     QString::fromUtf8(LoadText(string_id::kAppTitle, EditionKind::Morva7E)));
}

class PortMapRegistryTest : public ::testing::Test {
  protected:
    void SetUp() override { Clear(); }
    void TearDown() override { Clear(); }
    static void Clear() {
        QSettings profile = Profile();
        profile.clear();
        profile.sync();
        for (int port = 1; port <= 10; ++port) {
            _putenv_s(("TAVIN_COM" + std::to_string(port)).c_str(), "");
        }
    }
    static void Map(int port, const std::string& device) {
        std::string error;
        ASSERT_TRUE(WritePortMapEntry(port, device, error)) << error;
    }
};

TEST_F(PortMapRegistryTest, SharesTheProfileWithQtsSettings) {
    {
        QSettings profile = Profile();
        profile.setValue("ComPort", 3);
        profile.setValue("Recent File List/File1", "C:\\Users\\op\\line 4.tvn");
        profile.setValue("Ports/COM4", "tcp://camera-4.plant:4001");
        profile.sync();
    }
    const std::pair<int, std::string> entries[] = {
        {1, "COM7"},
        {2, "\\\\.\\COM12"},
        {3, "rfc2217://10.0.0.5:2217"},
        {10, "odd name;with=\"signs\" and \xC3\xA9"},  // UTF-8 both ways
    };
    for (const auto& [port, device] : entries) {
        Map(port, device);
    }
    Map(3, "rfc2217://10.0.0.6:2217");  // replaced in place

    QSettings profile = Profile();
    EXPECT_EQ(profile.value("ComPort").toInt(), 3);
    EXPECT_EQ(profile.value("Recent File List/File1").toString(), "C:\\Users\\op\\line 4.tvn");
    EXPECT_EQ(profile.value("Ports/COM1").toString(), "COM7");
    EXPECT_EQ(profile.value("Ports/COM2").toString(), "\\\\.\\COM12");
    EXPECT_EQ(profile.value("Ports/COM3").toString(), "rfc2217://10.0.0.6:2217");
    EXPECT_EQ(profile.value("Ports/COM10").toString().toStdString(), entries[3].second);

    const std::map<int32_t, std::string> expected = {{1, "COM7"},
                                                     {2, "\\\\.\\COM12"},
                                                     {3, "rfc2217://10.0.0.6:2217"},
                                                     {4, "tcp://camera-4.plant:4001"},
                                                     {10, entries[3].second}};
    EXPECT_EQ(ReadPortMap(), expected);

    Map(4, "");
    Map(5, "");  // removing what is not there is no error
    EXPECT_EQ(MappedDevice(4), "");
    EXPECT_EQ(ReadPortMap().size(), 4u);
    profile.sync();
    EXPECT_FALSE(profile.contains("Ports/COM4"));
    EXPECT_EQ(profile.value("ComPort").toInt(), 3);
}

TEST_F(PortMapRegistryTest, NamesTheKeyUsersFindInTheRegistryEditor) {
    EXPECT_EQ(PortMapFile(),
              "HKEY_CURRENT_USER\\Software\\" +
                  std::string(LoadText(string_id::kCompany, EditionKind::Morva7E)) + "\\" +
                  std::string(LoadText(string_id::kAppTitle, EditionKind::Morva7E)) + "\\Ports");
}

TEST_F(PortMapRegistryTest, APortIsTheEnvironmentsThenTheMapsThenTheComPortItself) {
    Map(2, "COM12");
    Map(3, "\\\\.\\COM9");
    Map(4, "COM1");
    _putenv_s("TAVIN_COM4", "\\\\.\\COM6");
    const struct {
        int port;
        const char* device;
    } cases[] = {
        {1, "\\\\.\\COM1"},                        // nothing mapped
        {10, "\\\\.\\COM10"},                      // two digits need the device namespace
        {2, "\\\\.\\COM12"},                       // a bare port name becomes its device
        {3, "\\\\.\\COM9"},   {4, "\\\\.\\COM6"},  // the environment comes first
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ComPortDeviceName(c.port), c.device) << "COM" << c.port;
    }
}

TEST_F(PortMapRegistryTest, APortThatIsNotThereSaysSo) {
    const int cameraPort = std::atoi(
        std::getenv("TAVIN_WINE_CAMERA_PORT") ? std::getenv("TAVIN_WINE_CAMERA_PORT") : "0");
    if (cameraPort == 0) {
        GTEST_SKIP() << "no COM port known to exist (run-under-wine.sh serves one)";
    }
    Map(5, "COM200");
    Map(6, "COM" + std::to_string(cameraPort));
    Map(7, "tcp://camera-7.plant:4001");
    EXPECT_EQ(DescribeComPort(5), "\\\\.\\COM200 (does not exist)");
    EXPECT_EQ(DescribeComPort(6), "\\\\.\\COM" + std::to_string(cameraPort));
    EXPECT_EQ(DescribeComPort(cameraPort), "\\\\.\\COM" + std::to_string(cameraPort));
    EXPECT_EQ(DescribeComPort(7), "tcp://camera-7.plant:4001");
}

}  // namespace
}  // namespace tavin
