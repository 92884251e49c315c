// ports --probe on pseudo-terminals: a port someone else has open gets not one byte, a free one
// is asked and left as it was, and silent ports are waited for together.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <QJsonArray>
#include <QJsonObject>
#include <fstream>
#include <memory>
#include <sstream>

#include "ProgramRun.h"
#include "PtyCameraServer.h"
#include "SampleFiles.h"

namespace tavin::ctl::testing {
namespace {

using namespace std::chrono_literals;

// Another program with the port open and no lock on it, as a terminal program may leave it.
class PortHolder {
  public:
    explicit PortHolder(const std::string& device) {
        int ready[2];
        int release[2];
        if (::pipe(ready) != 0 || ::pipe(release) != 0) {
            throw std::runtime_error("pipe");
        }
        pid_ = ::fork();
        if (pid_ == 0) {
            // Only the port: what else this test process holds (the cameras' pseudo-terminals)
            // would make it their server rather than another program.
            const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY);
            for (int other = 3; other < 1024; ++other) {
                if (other != fd && other != ready[1] && other != release[0]) {
                    ::close(other);
                }
            }
            const char opened = fd >= 0 ? '1' : '0';
            [[maybe_unused]] ssize_t n = ::write(ready[1], &opened, 1);
            char byte;
            n = ::read(release[0], &byte, 1);  // until the test lets go
            ::_exit(0);
        }
        ::close(ready[1]);
        ::close(release[0]);
        release_ = release[1];
        char opened = '0';
        held_ = ::read(ready[0], &opened, 1) == 1 && opened == '1';
        ::close(ready[0]);
    }
    ~PortHolder() {
        ::close(release_);
        ::waitpid(pid_, nullptr, 0);
    }
    PortHolder(const PortHolder&) = delete;
    PortHolder& operator=(const PortHolder&) = delete;

    bool Held() const { return held_; }
    pid_t Pid() const { return pid_; }

  private:
    pid_t pid_ = -1;
    int release_ = -1;
    bool held_ = false;
};

std::unique_ptr<sim::PtyCameraServer> Camera(sim::Fault fault = {},
                                             std::vector<std::string>* monitor = nullptr) {
    sim::ServerOptions options;
    options.fault = fault;
    if (monitor) {
        options.monitor = [monitor](const std::string& line) { monitor->push_back(line); };
    }
    return std::make_unique<sim::PtyCameraServer>(std::move(options));
}

TEST(Probe, APortAnotherProgramHasOpenGetsNoByteAndTheFreeOneIsFound) {
    std::vector<std::string> heldMonitor;
    const auto held = Camera({}, &heldMonitor);
    const auto free = Camera();
    const PortHolder holder(held->DevicePath());
    ASSERT_TRUE(holder.Held());
    const std::string busy = "busy (open in process " + std::to_string(holder.Pid());

    // The COM ports of the listing, and the same ports named.
    const ProgramResult listing =
        RunProgram(TAVINCTL_PATH, {"ports", "--probe"},
                   {{"TAVIN_COM1", held->DevicePath()}, {"TAVIN_COM2", free->DevicePath()}});
    ASSERT_EQ(listing.exitStatus, 0) << listing.err;
    EXPECT_NE(listing.out.find("COM1   " + held->DevicePath() + "  (environment)  " + busy),
              std::string::npos)
        << listing.out;
    EXPECT_NE(listing.out.find("COM2   " + free->DevicePath() +
                               "  (environment)  camera at 19200 baud\n"),
              std::string::npos)
        << listing.out;

    const ProgramResult named =
        RunProgram(TAVINCTL_PATH, {"ports", "--probe", "--json", held->DevicePath(), "COM2"},
                   {{"TAVIN_COM2", free->DevicePath()}});
    ASSERT_EQ(named.exitStatus, 0) << named.err;
    const QJsonArray probes = ParseJson(named.out).object()["probes"].toArray();
    ASSERT_EQ(probes.size(), 2);
    const QJsonObject first = probes[0].toObject()["probe"].toObject();
    EXPECT_EQ(first["result"].toString(), "busy");
    EXPECT_TRUE(first["detail"].toString().startsWith(QString::fromStdString(busy.substr(6))));
    EXPECT_EQ(probes[1].toObject()["port"].toString(), "COM2");
    EXPECT_EQ(probes[1].toObject()["device"].toString().toStdString(), free->DevicePath());
    EXPECT_EQ(probes[1].toObject()["probe"].toObject()["baud"].toInt(), 19200);

    EXPECT_EQ(held->BytesFromHost(), 0u);
    EXPECT_TRUE(heldMonitor.empty()) << heldMonitor.front();  // not even new line settings
}

TEST(Probe, AProbedPortKeepsTheLineSettingsItHad) {
    const auto camera = Camera();
    const int fd = ::open(camera->DevicePath().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0);
    termios before{};
    ASSERT_EQ(::tcgetattr(fd, &before), 0);
    cfsetspeed(&before, B4800);
    before.c_cflag = (before.c_cflag & ~CSIZE) | CS7 | PARENB;
    ASSERT_EQ(::tcsetattr(fd, TCSANOW, &before), 0);
    ASSERT_EQ(::tcgetattr(fd, &before), 0);

    const ProgramResult run = RunProgram(TAVINCTL_PATH, {"ports", "--probe", "COM7"},
                                         {{"TAVIN_COM7", camera->DevicePath()}});
    EXPECT_EQ(run.out, "COM7  " + camera->DevicePath() + "  camera at 19200 baud\n") << run.err;
    termios after{};
    ASSERT_EQ(::tcgetattr(fd, &after), 0);
    ::close(fd);
    EXPECT_EQ(cfgetospeed(&after), B4800);
    EXPECT_EQ(after.c_cflag, before.c_cflag);
    EXPECT_EQ(after.c_iflag, before.c_iflag);
    EXPECT_EQ(after.c_lflag, before.c_lflag);
}

TEST(Probe, SilentPortsAreWaitedForTogether) {
    std::vector<std::unique_ptr<sim::PtyCameraServer>> silent;
    std::vector<std::string> args{"ports", "--probe"};
    for (int i = 0; i < 3; ++i) {
        silent.push_back(Camera({.kind = sim::FaultKind::Silent}));
        args.push_back(silent.back()->DevicePath());
    }
    const ProgramResult run = RunProgram(TAVINCTL_PATH, args);
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(Lines(run.out).size(), 3u);
    EXPECT_EQ(Lines(run.out)[2], args[4] + "  no answer") << run.out;
    // A second at each of the two speeds, once: one after the other they would take six.
    EXPECT_GE(run.elapsed, 1900ms);
    EXPECT_LT(run.elapsed, 3500ms);
}

TEST(Probe, TheKernelConsoleIsLeftAlone) {
    std::ifstream consoles("/proc/consoles");
    std::string console;
    for (std::string line; std::getline(consoles, line);) {
        std::istringstream words(line);
        std::string name;
        words >> name;
        struct stat info {};
        // Major 4 below minor 64 is a virtual terminal, which no probe would ask anyway.
        if (::stat(("/dev/" + name).c_str(), &info) == 0 && S_ISCHR(info.st_mode) &&
            (::major(info.st_rdev) != 4 || ::minor(info.st_rdev) >= 64)) {
            console = "/dev/" + name;
            break;
        }
    }
    if (console.empty()) {
        GTEST_SKIP() << "this host writes its console to no serial port";
    }
    const ProgramResult run = RunProgram(TAVINCTL_PATH, {"ports", "--probe", console});
    EXPECT_EQ(run.out, console + "  busy (kernel console)\n") << run.err;
}

}  // namespace
}  // namespace tavin::ctl::testing
