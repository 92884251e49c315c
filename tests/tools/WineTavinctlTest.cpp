// tavinctl.exe, the Windows build, under Wine against simulated cameras on Wine's COM ports: the
// commands a production line scripts, several links at once, Ctrl+C, the probe, the board DLL,
// and how close a full read comes to the wire beside the Linux build's on the same camera.
//
// tests/windows/test-tavinctl.sh runs it with a Wine prefix whose COM1 and COM2 name the paths
// below, which each case points at its cameras' pseudo-terminals. Without these every case is
// skipped:
//   TAVIN_WINE            Wine's loader; WINEPREFIX the prefix, its server already running
//   TAVIN_WINE_TAVINCTL   tavinctl.exe of the Windows build
//   TAVIN_WINE_BOARD_DLL  the simulated board library of the Windows build
//   TAVIN_WINE_COM1_LINK, TAVIN_WINE_COM2_LINK  the paths Wine's COM1 and COM2 name
#include <gtest/gtest.h>
#include <termios.h>

#include <fcntl.h>
#include <unistd.h>
#include <QJsonArray>
#include <QJsonObject>
#include <algorithm>
#include <condition_variable>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <mutex>

#include "CameraItemTable.h"
#include "ProgramRun.h"
#include "PtyCameraServer.h"
#include "SampleFiles.h"

namespace tavin::ctl::testing {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// A Linux path as a Windows program under Wine names it: on drive Z, the root of the host.
std::string WinePath(const std::string& path) {
    std::string wine = "Z:" + path;
    std::replace(wine.begin(), wine.end(), '/', '\\');
    return wine;
}

// Console output of a Windows program, with its line ends as Linux writes them.
std::string Unix(std::string text) {
    std::erase(text, '\r');
    return text;
}

// A simulated camera whose monitor counts what the host sent and when.
class Camera {
  public:
    explicit Camera(const DataFileValues& values, int baud = 19200, sim::Fault fault = {}) {
        sim::ServerOptions options;
        options.settings.Load(values);
        options.fault = fault;
        options.pacing.baud = baud;
        options.monitor = [this](const std::string& line) {
            std::lock_guard lock(mutex_);
            lines_.push_back({Clock::now(), line});
            seen_.notify_all();
        };
        server_ = std::make_unique<sim::PtyCameraServer>(std::move(options));
    }

    sim::PtyCameraServer& Server() { return *server_; }

    // Where later counts and spans start.
    size_t Mark() {
        std::lock_guard lock(mutex_);
        return lines_.size();
    }
    int Count(const std::string& text, size_t from = 0) {
        std::lock_guard lock(mutex_);
        return static_cast<int>(
            std::count_if(lines_.begin() + long(from), lines_.end(),
                          [&](const Line& l) { return l.text.find(text) != std::string::npos; }));
    }
    bool AwaitCount(const std::string& text, int count, size_t from = 0) {
        std::unique_lock lock(mutex_);
        return seen_.wait_for(lock, 10s, [&] {
            return std::count_if(lines_.begin() + long(from), lines_.end(), [&](const Line& l) {
                       return l.text.find(text) != std::string::npos;
                   }) >= count;
        });
    }
    // The time from the first event after `from` to the last: what the camera saw of a transfer.
    double SpanMs(size_t from) {
        std::lock_guard lock(mutex_);
        std::vector<Clock::time_point> stamps;
        for (size_t i = from; i < lines_.size(); ++i) {
            if (!lines_[i].text.starts_with("line ")) {  // line settings, not a transfer
                stamps.push_back(lines_[i].at);
            }
        }
        return stamps.empty()
                   ? 0
                   : std::chrono::duration<double, std::milli>(stamps.back() - stamps.front())
                         .count();
    }
    // Camera form of item `index` as the camera holds it.
    int32_t Value(int index) const {
        const CameraItemDef& def = GetItemDef(index);
        return server_->Value(sim::GroupOfCommand(def.writeCommand), def.itemNumber);
    }
    uint64_t Bytes() const { return server_->BytesFromHost() + server_->BytesToHost(); }

  private:
    struct Line {
        Clock::time_point at;
        std::string text;
    };
    std::unique_ptr<sim::PtyCameraServer> server_;
    std::mutex mutex_;
    std::condition_variable seen_;
    std::vector<Line> lines_;
};

class WineTavinctl : public ::testing::Test {
  protected:
    void SetUp() override {
        wine_ = Env("TAVIN_WINE");
        tavinctl_ = Env("TAVIN_WINE_TAVINCTL");
        if (wine_.empty() || tavinctl_.empty() || Env("WINEPREFIX").empty()) {
            GTEST_SKIP() << "no Windows build under Wine (tests/windows/test-tavinctl.sh)";
        }
        WriteDataFile(dir_ / "golden.tvn", SampleValues());
    }

    // A camera on Wine's COM `port` (1 or 2).
    Camera& Attach(int port, std::unique_ptr<Camera> camera) {
        const fs::path link = Env(port == 1 ? "TAVIN_WINE_COM1_LINK" : "TAVIN_WINE_COM2_LINK");
        fs::remove(link);
        fs::create_symlink(camera->Server().DevicePath(), link);
        cameras_[port - 1] = std::move(camera);
        return *cameras_[port - 1];
    }

    ProgramResult Wine(const std::vector<std::string>& args) {
        std::vector<std::string> all{tavinctl_};
        all.insert(all.end(), args.begin(), args.end());
        ProgramResult result = RunProgram(wine_, all);
        result.out = Unix(result.out);
        result.err = Unix(result.err);
        return result;
    }
    std::unique_ptr<RunningProgram> StartWine(const std::vector<std::string>& args) {
        std::vector<std::string> all{tavinctl_};
        all.insert(all.end(), args.begin(), args.end());
        return std::make_unique<RunningProgram>(wine_, all);
    }
    std::string File(const std::string& name) { return WinePath(dir_ / name); }

    std::string wine_;
    std::string tavinctl_;
    ScratchDir dir_;
    std::unique_ptr<Camera> cameras_[2];
};

struct ReadFigures {
    double wireMs = 0;
    std::vector<double> wineMs;
    std::vector<double> linuxMs;
};

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

TEST_F(WineTavinctl, ReadGivesTheLinuxBytesAndKeepsNearTheWire) {
    Camera& camera = Attach(1, std::make_unique<Camera>(SampleValues()));
    const std::string pty = camera.Server().DevicePath();
    ReadFigures figures;
    // Turn about, so that neither build always runs first on a machine that is busy elsewhere.
    for (int run = 0; run < 3; ++run) {
        size_t mark = camera.Mark();
        const uint64_t bytes = camera.Bytes();
        ProgramResult result = Wine({"--port", "1", "read", "-o", File("wine.tvn")});
        ASSERT_EQ(result.exitStatus, 0) << result.err;
        figures.wineMs.push_back(camera.SpanMs(mark));
        figures.wireMs = double(camera.Bytes() - bytes) * 11 * 1000 / 19200;

        mark = camera.Mark();
        result = RunProgram(TAVINCTL_PATH, {"--device", pty, "read", "-o", dir_ / "linux.tvn"});
        ASSERT_EQ(result.exitStatus, 0) << result.err;
        figures.linuxMs.push_back(camera.SpanMs(mark));
    }
    EXPECT_EQ(ReadBytes(dir_ / "wine.tvn"), ReadBytes(dir_ / "linux.tvn"));
    EXPECT_EQ(ReadBytes(dir_ / "wine.tvn"), ReadBytes(dir_ / "golden.tvn"));

    const double wine = Median(figures.wineMs);
    const double linux = Median(figures.linuxMs);
    std::cout << "full read at 19200 baud, as the camera saw it: wire " << figures.wireMs
              << " ms; tavinctl.exe under Wine " << figures.wineMs[0] << " / " << figures.wineMs[1]
              << " / " << figures.wineMs[2] << " ms (median ratio " << wine / figures.wireMs
              << "); Linux tavinctl " << figures.linuxMs[0] << " / " << figures.linuxMs[1] << " / "
              << figures.linuxMs[2] << " ms (median ratio " << linux / figures.wireMs << ")\n";
    RecordProperty("wine_ms", std::to_string(wine));
    RecordProperty("linux_ms", std::to_string(linux));
    EXPECT_LE(wine, 1.10 * figures.wireMs);

    // What it prints is the Linux build's too, but for the line ends.
    const ProgramResult windows = Wine({"--port", "1", "read"});
    const ProgramResult native = RunProgram(TAVINCTL_PATH, {"--device", pty, "read"});
    EXPECT_EQ(windows.out, native.out);
    EXPECT_EQ(Lines(windows.out).size(), 46u);
}

TEST_F(WineTavinctl, WriteVerifyGetAndSetOnComOne) {
    Camera& camera = Attach(1, std::make_unique<Camera>(DataFileValues{}, 0));
    ProgramResult run = Wine({"write", "--verify", File("golden.tvn")});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(camera.Count("host   write"), 45);
    const DataFileValues sample = SampleValues();
    for (int index = 0; index < 45; ++index) {
        EXPECT_EQ(camera.Value(index), sample[index]) << index;
    }

    run = Wine({"set", "gain (fine)=30", "11=3"});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(camera.Value(9), 30);
    EXPECT_EQ(camera.Value(11), 3);

    run = Wine({"get", "9", "GAIN (ROUGH)"});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    const ProgramResult native =
        RunProgram(TAVINCTL_PATH, {"--device", camera.Server().DevicePath(), "get", "9", "11"});
    EXPECT_EQ(run.out, native.out);
    EXPECT_NE(run.out.find("  30  "), std::string::npos) << run.out;

    // A camera that acknowledges and forgets is caught by the read-back, with its status.
    camera.Server().SetFault({.kind = sim::FaultKind::ForgetWrites});
    run = Wine({"set", "--verify", "9=31"});
    EXPECT_EQ(run.exitStatus, 1) << run.out << run.err;
    EXPECT_NE(run.out.find("GAIN (FINE)"), std::string::npos) << run.out;
}

TEST_F(WineTavinctl, TwoLinksWriteAtOnce) {
    Camera* cameras[] = {&Attach(1, std::make_unique<Camera>(DataFileValues{})),
                         &Attach(2, std::make_unique<Camera>(DataFileValues{}))};
    WriteBytes(dir_ / "line.links", "# two cameras\r\nleft  COM1\r\nright com2\r\n");
    const ProgramResult run = Wine({"--links", File("line.links"), "write", File("golden.tvn")});
    ASSERT_EQ(run.exitStatus, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("left   ok "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("right  ok "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("2 links: 2 ok, 0 not ok ("), std::string::npos) << run.out;
    const DataFileValues sample = SampleValues();
    for (Camera* camera : cameras) {
        EXPECT_EQ(camera->Count("host   write"), 45);
        for (int index = 0; index < 45; ++index) {
            EXPECT_EQ(camera->Value(index), sample[index]) << index;
        }
    }
}

// N of "interrupted after item N of 45 while writing (Ctrl+C); ..." in `text`, -1 without it.
int ItemsReported(const std::string& text) {
    const std::string start = "tavinctl: interrupted after item ";
    const size_t at = text.find(start);
    if (at == std::string::npos) {
        return -1;
    }
    size_t end = 0;
    const int items = std::stoi(text.substr(at + start.size()), &end);
    const std::string rest = " of 45 while writing (Ctrl+C); the items after it were not written";
    return text.compare(at + start.size() + end, rest.size(), rest) == 0 ? items : -1;
}

// Wine turns SIGINT into the console's Ctrl+C event.
TEST_F(WineTavinctl, CtrlCStopsEveryLinkAfterTheItemInHand) {
    Camera* cameras[] = {&Attach(1, std::make_unique<Camera>(DataFileValues{})),
                         &Attach(2, std::make_unique<Camera>(DataFileValues{}))};
    WriteBytes(dir_ / "line.links", "left COM1\nright COM2\n");
    auto run = StartWine({"--links", File("line.links"), "write", "--verify", File("golden.tvn")});
    for (Camera* camera : cameras) {
        ASSERT_TRUE(camera->AwaitCount("host   write", 3));
    }
    ::kill(run->Pid(), SIGINT);
    ProgramResult result = run->Wait();
    result.out = Unix(result.out);
    EXPECT_EQ(result.exitStatus, 130) << result.out << result.err;
    const char* names[] = {"left ", "right"};
    for (size_t i = 0; i < 2; ++i) {
        const size_t at = result.out.find(std::string(names[i]) + "  interrupted ");
        ASSERT_NE(at, std::string::npos) << result.out;
        const int reported = ItemsReported(result.out.substr(at));
        EXPECT_GE(reported, 3) << result.out;
        EXPECT_LT(reported, 45);
        EXPECT_EQ(reported, cameras[i]->Count("host   write")) << names[i];
    }
    EXPECT_NE(result.out.find("2 links: 0 ok, 2 not ok: "), std::string::npos) << result.out;
    EXPECT_NE(result.out.find(" s); interrupted (Ctrl+C)\n"), std::string::npos) << result.out;
}

TEST_F(WineTavinctl, NoLinkProcessOutlivesAKilledParent) {
    Camera* cameras[] = {&Attach(1, std::make_unique<Camera>(DataFileValues{})),
                         &Attach(2, std::make_unique<Camera>(DataFileValues{}))};
    WriteBytes(dir_ / "line.links", "left COM1\nright COM2\n");
    auto run = StartWine({"--links", File("line.links"), "write", "--verify", File("golden.tvn")});
    for (Camera* camera : cameras) {
        ASSERT_TRUE(camera->AwaitCount("host   write", 2));
    }
    const auto killed = Clock::now();
    ::kill(run->Pid(), SIGKILL);
    // The link processes write their errors where the parent does: the output closes only once
    // they are gone too, and they would have gone on writing for another second.
    run->Wait();
    EXPECT_LT(Clock::now() - killed, 1s);
    for (Camera* camera : cameras) {
        EXPECT_LT(camera->Count("host   write"), 45);
    }
}

TEST_F(WineTavinctl, ProbeFindsTheCameraAndPutsTheLineBack) {
    Camera& camera = Attach(1, std::make_unique<Camera>(SampleValues(), 9600));
    Attach(2,
           std::make_unique<Camera>(SampleValues(), 0, sim::Fault{.kind = sim::FaultKind::Silent}));
    // COM1's line as some other program left it.
    const int line = ::open(camera.Server().DevicePath().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(line, 0);
    termios before{};
    ASSERT_EQ(::tcgetattr(line, &before), 0);
    cfsetspeed(&before, B1200);
    before.c_cflag &= ~CSTOPB;
    ASSERT_EQ(::tcsetattr(line, TCSANOW, &before), 0);

    const ProgramResult run = Wine({"ports", "--probe", "COM1", "COM2"});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_NE(run.out.find("COM1  \\\\.\\COM1  camera at 9600 baud\n"), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("COM2  \\\\.\\COM2  no answer\n"), std::string::npos) << run.out;
    // Only ENQs went out, and the line is as it was.
    EXPECT_EQ(camera.Count("01FF"), 0);
    termios after{};
    ASSERT_EQ(::tcgetattr(line, &after), 0);
    ::close(line);
    EXPECT_EQ(cfgetospeed(&after), B1200);
    EXPECT_EQ(after.c_cflag & CSTOPB, 0u);
}

// Windows refuses a second open of a port: the probe reports a port a running write holds as
// busy, sends it nothing, and leaves the write to finish undisturbed.
TEST_F(WineTavinctl, ProbeCallsAPortAnotherProgramHoldsBusy) {
    Camera& camera = Attach(1, std::make_unique<Camera>(DataFileValues{}));
    auto writer = StartWine({"write", "--verify", File("golden.tvn")});
    ASSERT_TRUE(camera.AwaitCount("host   write", 2));
    const size_t mark = camera.Mark();
    const ProgramResult probe = Wine({"ports", "--probe", "COM1"});
    const int enquiries = camera.Count("ENQ", mark);
    ProgramResult written = writer->Wait();
    EXPECT_EQ(probe.exitStatus, 0) << probe.err;
    EXPECT_NE(probe.out.find("COM1  \\\\.\\COM1  busy (another program holds it)\n"),
              std::string::npos)
        << probe.out;
    EXPECT_EQ(written.exitStatus, 0) << written.out << written.err;
    EXPECT_EQ(camera.Count("host   write"), 45);
    // The writer's own exchanges go on meanwhile; the probe adds none (45 reads and 45 writes).
    EXPECT_LE(enquiries, 90);
}

TEST_F(WineTavinctl, PortsListsWinesComPorts) {
    Attach(1, std::make_unique<Camera>(SampleValues(), 0));
    const ProgramResult run = Wine({"ports", "--json"});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    const QJsonObject ports = ParseJson(run.out).object();
    QStringList listed;
    for (const QJsonValue& port : ports["ports"].toArray()) {
        listed << port.toObject()["device"].toString();
    }
    EXPECT_TRUE(listed.contains("COM1")) << run.out;
    EXPECT_TRUE(listed.contains("COM2")) << run.out;
    const QJsonObject com1 = ports["com"].toArray()[0].toObject();
    EXPECT_EQ(com1["device"].toString(), "\\\\.\\COM1");
    EXPECT_EQ(com1["source"].toString(), "built-in");
    EXPECT_TRUE(com1["exists"].toBool());
    const QJsonObject com10 = ports["com"].toArray()[9].toObject();
    EXPECT_EQ(com10["device"].toString(), "\\\\.\\COM10");
    EXPECT_FALSE(com10["exists"].toBool());
}

TEST_F(WineTavinctl, TheBoardLibraryReadsAndEachChannelIsALink) {
    const std::string board = WinePath(Env("TAVIN_WINE_BOARD_DLL"));
    ProgramResult run = Wine({"--library", board, "read"});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(Lines(run.out).size(), 46u) << run.out;

    run = Wine({"-l", board, "-l", board, "get", "0"});
    EXPECT_EQ(run.exitStatus, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("2 links: 2 ok, 0 not ok"), std::string::npos) << run.out;

    run = Wine({"--library", WinePath(dir_ / "none.dll"), "get", "0"});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_NE(run.err.find("ERROR - Can not open communciation port."), std::string::npos)
        << run.err;
}

}  // namespace
}  // namespace tavin::ctl::testing
