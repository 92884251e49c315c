#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "CamsimOptions.h"
#include "RawTerminal.h"

extern char** environ;

namespace tavin::sim {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// tavin-camsim as a child process, with its standard input, output and error in pipes.
class Camsim {
  public:
    explicit Camsim(std::vector<std::string> args) {
        int in[2], out[2], err[2];
        if (pipe(in) != 0 || pipe(out) != 0 || pipe(err) != 0) {
            throw std::runtime_error("pipe");
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], 0);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_adddup2(&actions, err[1], 2);
        args.insert(args.begin(), CAMSIM_PATH);
        std::vector<char*> argv;
        for (auto& a : args) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, CAMSIM_PATH, &actions, nullptr, argv.data(), environ) != 0) {
            throw std::runtime_error("spawn");
        }
        posix_spawn_file_actions_destroy(&actions);
        close(in[0]);
        close(out[1]);
        close(err[1]);
        in_ = in[1];
        out_ = out[0];
        err_ = err[0];
    }
    ~Camsim() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        close(in_);
        close(out_);
        close(err_);
    }

    // A command line on its standard input; returns the first line of the answer.
    std::string Command(const std::string& line) {
        const std::string text = line + "\n";
        return write(in_, text.data(), text.size()) == ssize_t(text.size()) ? ReadLine() : "";
    }

    // The next line of standard output, or "" when none comes within two seconds.
    std::string ReadLine() { return ReadLineFrom(out_); }
    std::string ReadAllErrors() {
        std::string text;
        for (std::string line; !(line = ReadLineFrom(err_)).empty();) {
            text += line + "\n";
        }
        return text;
    }

    // Exit status after `signal` (0: just wait), or -1 when it did not end within two seconds.
    int Stop(int signal) {
        if (signal) {
            kill(pid_, signal);
        }
        for (int i = 0; i < 200; ++i) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            pollfd none{-1, 0, 0};
            poll(&none, 0, 10);  // a child's exit has no descriptor to wait on
        }
        return -1;
    }

  private:
    std::string ReadLineFrom(int fd) {
        std::string line;
        for (char c = 0;;) {
            pollfd pfd{fd, POLLIN, 0};
            if (poll(&pfd, 1, 2000) <= 0 || read(fd, &c, 1) != 1 || c == '\n') {
                return line;
            }
            line += c;
        }
    }

    pid_t pid_ = -1;
    int in_ = -1;
    int out_ = -1;
    int err_ = -1;
};

TEST(CamsimProgram, PrintsItsDeviceServesItAndCleansUpOnSigterm) {
    const fs::path link = fs::temp_directory_path() / ("camsim-" + std::to_string(getpid()));
    Camsim camsim({"--link", link.string()});
    const std::string device = camsim.ReadLine();
    ASSERT_EQ(device.rfind("/dev/pts/", 0), 0u) << device;
    EXPECT_EQ(fs::read_symlink(link), device);

    test::RawTerminal host(link.string());
    host.Write({0x05});
    EXPECT_EQ(host.Read(1, 2000ms), std::vector<uint8_t>{0x06});

    EXPECT_EQ(camsim.Stop(SIGTERM), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(link))) << "link left behind";
    EXPECT_NE(camsim.ReadAllErrors().find("1 bytes received, 1 sent"), std::string::npos);
}

TEST(CamsimProgram, LogShowsDecodedTransactions) {
    Camsim camsim({"--log"});
    test::RawTerminal host(camsim.ReadLine());
    host.Write({0x05});
    EXPECT_EQ(host.Read(1, 2000ms).size(), 1u);
    EXPECT_NE(camsim.ReadLine().find("host   ENQ  -> ACK"), std::string::npos);
    EXPECT_EQ(camsim.Stop(SIGINT), 0);
}

TEST(CamsimProgram, RefusesBadInputWithAMessage) {
    struct Case {
        std::vector<std::string> args;
        int status;
        const char* message;
    };
    for (const Case& c :
         {Case{{"--fault", "bogus"}, 2, "unknown fault"}, Case{{"--baud", "fast"}, 2, "--baud"},
          Case{{"--frobnicate"}, 2, "unknown option"},
          Case{{"--state", "/nonexistent/x.tvn"}, 1, "/nonexistent/x.tvn"},
          Case{{"--control", "/tmp"}, 1, "making FIFO /tmp"}}) {
        SCOPED_TRACE(c.args[0]);
        Camsim camsim(c.args);
        EXPECT_EQ(camsim.Stop(0), c.status);
        EXPECT_NE(camsim.ReadAllErrors().find(c.message), std::string::npos);
    }
}

TEST(CamsimProgram, TakesCommandsOnItsInputAndOnTheControlFifo) {
    const fs::path fifo = fs::temp_directory_path() / ("camsim-ctl-" + std::to_string(getpid()));
    Camsim camsim({"--control", fifo.string()});
    test::RawTerminal host(camsim.ReadLine());
    ASSERT_TRUE(fs::is_fifo(fifo));

    EXPECT_EQ(camsim.Command("fault silent"), "fault silent");
    host.Write({0x05});
    EXPECT_TRUE(host.Read(1, 200ms).empty()) << "a silent camera answered";
    std::ofstream(fifo) << "fault none\n";
    EXPECT_EQ(camsim.ReadLine(), "fault none");
    host.Write({0x05});
    EXPECT_EQ(host.Read(1, 2000ms), std::vector<uint8_t>{0x06});
    EXPECT_EQ(camsim.Command("  status "),
              "status: fault none, line open, 2 bytes received, 1 sent");

    EXPECT_EQ(camsim.Command("load " CAMSIM_SAMPLE_TVN), "loaded " CAMSIM_SAMPLE_TVN);
    EXPECT_EQ(camsim.Command("hangup"), "hung up");
    EXPECT_TRUE(host.Read(1, 2000ms).empty());
    EXPECT_TRUE(host.SawHangUp());
    EXPECT_EQ(camsim.Command("status"),
              "status: fault none, line closed, 2 bytes received, 1 sent");

    EXPECT_EQ(camsim.Stop(SIGTERM), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(fifo))) << "FIFO left behind";
}

TEST(CamsimProgram, AnswersABadCommandWithAnErrorAndRunsOn) {
    Camsim camsim({});
    test::RawTerminal host(camsim.ReadLine());
    for (const auto& [line, error] : std::vector<std::pair<std::string, std::string>>{
             {"frobnicate", "error: unknown command \"frobnicate\" (try help)"},
             {"fault", "error: fault needs an argument"},
             {"fault bogus", "error: unknown fault \"bogus\"; known faults: see help"},
             {"status now", "error: status takes no argument"},
             {"load /nonexistent/x.tvn", "error: /nonexistent/x.tvn is not a data file"},
             {"load /dev/zero", "error: /dev/zero is not a data file"},
             {std::string(5000, 'x'), "error: line too long"}}) {
        SCOPED_TRACE(line.substr(0, 30));
        EXPECT_EQ(camsim.Command(line), error);
    }
    host.Write({0x05});
    EXPECT_EQ(host.Read(1, 2000ms), std::vector<uint8_t>{0x06});
}

TEST(CamsimOptions, ParsesEveryOption) {
    const CamsimOptions o = ParseCamsimOptions(
        {"--state", "a.tvn", "--fault=bad-checksum=2", "--baud", "9600", "--turnaround=3", "--link",
         "/tmp/cam", "--log", "--model", "camera-link", "--control", "/tmp/ctl"});
    EXPECT_EQ(o.stateFile, "a.tvn");
    EXPECT_EQ(o.fault.kind, FaultKind::BadReplyChecksum);
    EXPECT_EQ(o.fault.count, 2);
    EXPECT_EQ(o.pacing.baud, 9600);
    EXPECT_EQ(o.pacing.turnaround, 3ms);
    EXPECT_EQ(o.linkPath, "/tmp/cam");
    EXPECT_EQ(o.controlPath, "/tmp/ctl");
    EXPECT_TRUE(o.log);
    EXPECT_EQ(o.model, CameraModel::CameraLink);
    EXPECT_FALSE(o.help);
    EXPECT_TRUE(ParseCamsimOptions({"-h"}).help);
}

TEST(CamsimOptions, RefusesMissingAndOutOfRangeValues) {
    for (const auto& args : std::vector<std::vector<std::string>>{{"--baud"},
                                                                  {"--baud", "0"},
                                                                  {"--turnaround", "-1"},
                                                                  {"--model", "usb"},
                                                                  {"--log=yes"},
                                                                  {"--link"}}) {
        SCOPED_TRACE(args[0]);
        EXPECT_THROW(ParseCamsimOptions(args), std::invalid_argument);
    }
}

}  // namespace
}  // namespace tavin::sim
