// tavinctl through Debian's ser2net to the simulated camera on a pseudo-terminal: over a telnet
// com-port accepter (RFC 2217), which must set the camera's line, and over a raw TCP accepter.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <thread>

#include "ChildProcess.h"
#include "PortMap.h"
#include "ProgramRun.h"
#include "Ser2netServer.h"

namespace tavin::testing {
namespace {

using namespace std::chrono_literals;
using ctl::testing::ProgramResult;
using ctl::testing::RunProgram;
namespace fs = std::filesystem;

class Ser2net : public ::testing::Test {
  protected:
    // The camera paced at `baud`, ser2net serving it on two fresh loopback ports.
    void Start(int baud = 0) {
        std::vector<std::string> camsim{CAMSIM_PATH, "--log"};
        if (baud) {
            camsim.insert(camsim.end(), {"--baud", std::to_string(baud)});
        }
        camera_ = std::make_unique<ChildProcess>(camsim);
        pty_ = camera_->FirstLine(5s);
        ASSERT_TRUE(pty_.starts_with("/dev/")) << camera_->Output();

        // Over RFC 2217 the device starts at the wrong speed, so only the client can have set
        // it right; over raw TCP ser2net's own setting is the camera's.
        const std::string raw = std::to_string(baud ? baud : 19200) + "n82";
        server_ = std::make_unique<Ser2netServer>(
            SER2NET_PATH, std::vector<Ser2netServer::Connection>{
                              {"telnet(rfc2217),tcp", pty_, "1200n81"}, {"tcp", pty_, raw}});
    }

    ProgramResult Ctl(const std::string& device, std::vector<std::string> args) {
        args.insert(args.begin(), {"--device", device});
        return RunProgram(TAVINCTL_PATH, args);
    }

    std::string Rfc2217() const { return server_->Address("rfc2217", 0); }
    std::string Tcp() const { return server_->Address("tcp", 1); }

    // Reads the camera into a file, changes an item, writes the file back and reads again: the
    // two files must be the same bytes.
    void ReadWriteGetSet(const std::string& device) {
        // Named by the process: the cases of this file may run at the same time.
        const fs::path dir(::testing::TempDir());
        const std::string pid = std::to_string(::getpid());
        const fs::path first = dir / ("ser2net-first-" + pid + ".tvn");
        const fs::path second = dir / ("ser2net-second-" + pid + ".tvn");
        ProgramResult run = Ctl(device, {"read", "-o", first.string()});
        ASSERT_EQ(run.exitStatus, 0) << run.err;
        run = Ctl(device, {"set", "9=37"});
        ASSERT_EQ(run.exitStatus, 0) << run.err;
        run = Ctl(device, {"get", "9", "--json"});
        ASSERT_EQ(run.exitStatus, 0) << run.err;
        EXPECT_NE(run.out.find("\"value\": 37"), std::string::npos) << run.out;
        run = Ctl(device, {"write", first.string()});
        ASSERT_EQ(run.exitStatus, 0) << run.err;
        run = Ctl(device, {"read", "-o", second.string()});
        ASSERT_EQ(run.exitStatus, 0) << run.err;
        EXPECT_EQ(Contents(first), Contents(second));
        fs::remove(first);
        fs::remove(second);
    }

    static std::string Contents(const fs::path& file) {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    std::unique_ptr<ChildProcess> camera_;
    std::unique_ptr<Ser2netServer> server_;
    std::string pty_;
};

TEST_F(Ser2net, Rfc2217SetsTheRemoteLineAndCarriesEveryCommand) {
    Start();
    ReadWriteGetSet(Rfc2217());
    EXPECT_TRUE(camera_->WaitForOutput("line 19200 8N2\n", 2s)) << camera_->Output();

    const ProgramResult run = Ctl(Rfc2217(), {"--baud", "9600", "get", "0"});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_TRUE(camera_->WaitForOutput("line 9600 8N2\n", 2s)) << camera_->Output();
}

TEST_F(Ser2net, RawTcpCarriesEveryCommand) {
    Start();
    ReadWriteGetSet(Tcp());
}

TEST_F(Ser2net, TheUsersPortMapTakesComPortsAcrossTheNetwork) {
    Start();
    const fs::path config =
        fs::path(::testing::TempDir()) / ("ser2net-config-" + std::to_string(::getpid()));
    ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    std::string error;
    ASSERT_TRUE(WritePortMapEntry(3, Tcp(), error)) << error;

    const ProgramResult run =
        RunProgram(TAVINCTL_PATH, {"--port", "3", "get", "0"},
                   {{"XDG_CONFIG_HOME", config.string()}, {"TAVIN_COM3", ""}});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    fs::remove_all(config);
}

// The camera paced at 9600 baud answers only a line set to 9600: on its pseudo-terminal, through
// RFC 2217 (which sets the remote line), and over raw TCP where ser2net's own setting applies.
TEST_F(Ser2net, PortsProbeFindsTheCameraLocallyAndAcrossTheNetwork) {
    Start(9600);
    const fs::path config =
        fs::path(::testing::TempDir()) / ("ser2net-probe-" + std::to_string(::getpid()));
    const std::vector<std::pair<std::string, std::string>> env = {
        {"XDG_CONFIG_HOME", config.string()},
        {"TAVIN_COM1", pty_},
        {"TAVIN_COM2", ""},
        {"TAVIN_COM3", ""},
        {"TAVIN_COM4", ""}};
    ProgramResult run = RunProgram(TAVINCTL_PATH,
                                   {"ports", "--map", "2=" + Rfc2217(), "--map", "3=" + Tcp(),
                                    "--map", "4=/dev/serial/by-id/usb-none", "--unmap", "4"},
                                   env);
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_NE(run.out.find("COM2   " + Rfc2217() + "  (port map)"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("COM4   /dev/ttyS3  (built-in"), std::string::npos) << run.out;

    run = RunProgram(TAVINCTL_PATH, {"ports", "--probe", "--json"}, env);
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    for (const std::string& entry :
         {"{\"port\": 1, \"device\": \"" + pty_ +
              "\", \"source\": \"environment\", \"target\": \"\", \"exists\": true, "
              "\"probe\": {\"result\": \"camera\", \"baud\": 9600}}",
          "{\"port\": 2, \"device\": \"" + Rfc2217() +
              "\", \"source\": \"port map\", \"target\": \"\", \"exists\": true, "
              "\"probe\": {\"result\": \"camera\", \"baud\": 9600}}",
          "{\"port\": 3, \"device\": \"" + Tcp() +
              "\", \"source\": \"port map\", \"target\": \"\", \"exists\": true, "
              "\"probe\": {\"result\": \"camera\"}}"}) {
        EXPECT_NE(run.out.find(entry), std::string::npos) << entry << "\nin " << run.out;
    }
    // Only ENQs went out: the camera saw no message.
    EXPECT_EQ(camera_->Output().find("01FF"), std::string::npos) << camera_->Output();

    // A port another program holds is reported busy and left alone.
    const int held = ::open(pty_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);
    run = RunProgram(TAVINCTL_PATH, {"ports", "--probe"}, env);
    ::close(held);
    EXPECT_NE(run.out.find("COM1   " + pty_ + "  (environment)  busy"), std::string::npos)
        << run.out;
    fs::remove_all(config);
}

TEST_F(Ser2net, AnAddressThatRefusesOrDoesNotResolveCannotBeOpened) {
    Start();
    server_->Stop();
    for (const std::string& device : {Rfc2217(), std::string("tcp://host.invalid:4001")}) {
        const ProgramResult run = Ctl(device, {"get", "0"});
        EXPECT_EQ(run.exitStatus, 1);
        EXPECT_NE(run.err.find("ERROR - Can not open communciation port."), std::string::npos)
            << run.err;
        // The reason goes to the diagnostic channel, after the address.
        EXPECT_NE(run.err.find(device + ": "), std::string::npos) << run.err;
    }
}

TEST_F(Ser2net, ALostConnectionIsAnIoError) {
    Start(19200);
    std::thread cut([this] {
        // The first exchange has reached the camera: the connection is up and in use. Raw TCP,
        // whose line ser2net sets itself, so that nothing but the cut can end the read.
        if (camera_->WaitForOutput("host   ENQ", 5s)) {
            server_->Stop();
        }
    });
    const ProgramResult run = Ctl(Tcp(), {"read"});
    cut.join();
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_NE(run.err.find("ERROR - Serial communication I/O error."), std::string::npos)
        << run.err;
}

}  // namespace
}  // namespace tavin::testing
