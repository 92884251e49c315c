// The COM port maps: the user's shared with Qt's settings file, the system's filling in what the
// user's leaves unmapped (and all there is without a home), resolved in their place between the
// environment and the built-in ports, and shown on the port buttons of both port dialogs.
#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QSettings>
#include <QTemporaryFile>

#include <cstdlib>
#include <filesystem>
#include <optional>

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
    void SetUp() override {
        ::setenv("TAVIN_SYSTEM_PORT_MAP", systemMap_.c_str(), 1);
        Clear();
    }
    void TearDown() override {
        Clear();
        ::unsetenv("TAVIN_SYSTEM_PORT_MAP");
    }
    void Clear() {
        QSettings profile = Profile();
        profile.clear();
        profile.sync();
        for (int port = 1; port <= 10; ++port) {
            ::unsetenv(("TAVIN_COM" + std::to_string(port)).c_str());
        }
        std::filesystem::remove(systemMap_);
    }
    static void Map(int port, const std::string& device, PortMapScope scope = PortMapScope::kUser) {
        std::string error;
        ASSERT_TRUE(WritePortMapEntry(port, device, error, scope)) << error;
    }

    // Every user's map, in the test's own scratch folder rather than in /etc.
    const std::string systemMap_ =
        std::filesystem::temp_directory_path() / ("ports-" + std::to_string(::getpid()) + ".conf");
};

// Sets environment variables for one test, and puts them back.
class ScopedEnvironment {
  public:
    void Set(const char* name, const char* value) {
        const char* old = std::getenv(name);
        saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        value ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~ScopedEnvironment() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
            it->second ? ::setenv(it->first.c_str(), it->second->c_str(), 1)
                       : ::unsetenv(it->first.c_str());
        }
    }

  private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
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

TEST_F(PortMapTest, TheSystemMapFillsThePortsTheUsersLeavesUnmapped) {
    Map(1, "/dev/serial/by-id/usb-Maker_Camera_A1-if00-port0", PortMapScope::kSystem);
    Map(2, "tcp://camera-2.plant:4001", PortMapScope::kSystem);
    Map(2, "/dev/ttyUSB9");
    EXPECT_EQ(ComPortDeviceName(1), "/dev/serial/by-id/usb-Maker_Camera_A1-if00-port0");
    EXPECT_EQ(ComPortDeviceName(2), "/dev/ttyUSB9");
    EXPECT_EQ(ReadPortMaps().at(1).scope, PortMapScope::kSystem);
    EXPECT_EQ(ReadPortMaps().at(2).scope, PortMapScope::kUser);
    Map(2, "");
    EXPECT_EQ(ComPortDeviceName(2), "tcp://camera-2.plant:4001");
    // Every user reads it, whatever the umask of the one who wrote it.
    const auto perms = std::filesystem::status(systemMap_).permissions();
    EXPECT_EQ(perms & std::filesystem::perms::others_read, std::filesystem::perms::others_read);
}

TEST_F(PortMapTest, WithoutAHomeOnlyTheSystemMapIsReadAndNoFolderIsMade) {
    Map(3, "/dev/ttyUSB3", PortMapScope::kSystem);
    const std::string company(LoadText(string_id::kCompany, EditionKind::Morva7E));
    const bool strayBefore = std::filesystem::exists("/" + company);
    const std::string absent = ::testing::TempDir() + "no-such-home-" + std::to_string(::getpid());
    ScopedEnvironment environment;
    environment.Set("XDG_CONFIG_HOME", nullptr);
    // "/" is the home of a service's made-up user; a home that is not there is none either.
    for (const char* home : {"/", absent.c_str()}) {
        environment.Set("HOME", home);
        std::string error;
        EXPECT_FALSE(WritePortMapEntry(3, "/dev/ttyUSB0", error)) << home;
        EXPECT_NE(error.find(home[1] ? "does not exist" : "no home folder"), std::string::npos)
            << error;
        EXPECT_EQ(ComPortDeviceName(3), "/dev/ttyUSB3") << home;
    }
    EXPECT_EQ(PortMapLocation(PortMapScope::kUser),
              absent + "/.config/" + company + "/MORVA-7E.conf");
    EXPECT_FALSE(std::filesystem::exists(absent));
    EXPECT_EQ(std::filesystem::exists("/" + company), strayBefore);

    // Without HOME the user database names the home, as it does for a service run as a user.
    environment.Set("HOME", nullptr);
    const passwd* entry = ::getpwuid(::getuid());
    ASSERT_NE(entry, nullptr);
    const std::string expected =
        std::string(entry->pw_dir) == "/"
            ? ""
            : std::string(entry->pw_dir) + "/.config/" + company + "/MORVA-7E.conf";
    EXPECT_EQ(PortMapLocation(PortMapScope::kUser), expected);
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
