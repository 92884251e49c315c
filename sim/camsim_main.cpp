// tavin-camsim: a simulated camera on a pseudo-terminal, for trying the control program without
// hardware, reproducing a camera's bad days and watching the protocol go by.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <stdexcept>
#include <system_error>

#include "CamsimControl.h"
#include "CamsimOptions.h"
#include "DataFile.h"
#include "PtyCameraServer.h"

namespace fs = std::filesystem;
using namespace tavin::sim;

namespace {

// A stale link from an earlier run that was killed is replaced; anything else is left alone.
void CreateLink(const fs::path& link, const std::string& device) {
    std::error_code ec;
    if (fs::is_symlink(fs::symlink_status(link, ec))) {
        fs::remove(link);
    }
    fs::create_symlink(device, link);
}

void RemoveLink(const fs::path& link, const std::string& device) {
    std::error_code ec;
    if (fs::is_symlink(fs::symlink_status(link, ec)) && fs::read_symlink(link, ec) == device) {
        fs::remove(link, ec);
    }
}

// A FIFO for commands, made at start and removed at the end. A stale one from an earlier run that
// was killed is replaced; anything else at the path is left alone.
class ControlFifo {
  public:
    explicit ControlFifo(std::string path) : path_(std::move(path)) {
        if (path_.empty()) {
            return;
        }
        struct stat st {};
        if (lstat(path_.c_str(), &st) == 0 && S_ISFIFO(st.st_mode)) {
            unlink(path_.c_str());
        }
        if (mkfifo(path_.c_str(), 0600) != 0) {
            throw std::system_error(errno, std::generic_category(), "making FIFO " + path_);
        }
        // Open for writing too, so the FIFO never reads as ended between two writers.
        fd_ = open(path_.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
        if (fd_ < 0) {
            const int error = errno;
            unlink(path_.c_str());
            throw std::system_error(error, std::generic_category(), "opening FIFO " + path_);
        }
    }
    ~ControlFifo() {
        if (fd_ >= 0) {
            close(fd_);
            unlink(path_.c_str());
        }
    }
    ControlFifo(const ControlFifo&) = delete;
    ControlFifo& operator=(const ControlFifo&) = delete;

    int Fd() const { return fd_; }

  private:
    std::string path_;
    int fd_ = -1;
};

// One whole line at a time, so the monitor (on the server thread) and the answers to commands
// never break into each other's lines.
void PrintLine(const std::string& text) {
    std::cout << (text + "\n") << std::flush;
}

// Serves commands from standard input and the FIFO until a stop signal arrives.
void TakeCommands(PtyCameraServer& server, int stopFd, int fifoFd) {
    // Standard input ends at end of file, or at once for a background job of a terminal (its
    // reads fail instead of stopping the process).
    signal(SIGTTIN, SIG_IGN);
    LineSplitter fromStdin;
    LineSplitter fromFifo;
    pollfd fds[3] = {{stopFd, POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}, {fifoFd, POLLIN, 0}};
    for (;;) {
        if (poll(fds, 3, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;
        }
        if (fds[0].revents) {
            return;
        }
        for (int i = 1; i < 3; ++i) {
            if (!fds[i].revents) {
                continue;
            }
            char buffer[512];
            const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n <= 0 && !(n < 0 && (errno == EAGAIN || errno == EINTR))) {
                fds[i].fd = -1;  // ended or unreadable: poll ignores it from now on
                continue;
            }
            LineSplitter& lines = i == 1 ? fromStdin : fromFifo;
            for (const std::string& line : lines.Take({buffer, size_t(std::max<ssize_t>(n, 0))})) {
                if (const std::string answer = RunControlCommand(server, line); !answer.empty()) {
                    PrintLine(answer);
                }
            }
        }
    }
}

int Run(const CamsimOptions& options) {
    CameraSettings settings(options.model);
    if (!options.stateFile.empty()) {
        settings.Load(ReadDataFile(options.stateFile));
    }

    // Block the stop signals before the server thread starts, so that only sigwait sees them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    const int stopFd = signalfd(-1, &stopSignals, SFD_CLOEXEC);
    if (stopFd < 0) {
        throw std::system_error(errno, std::generic_category(), "signalfd");
    }
    ControlFifo fifo(options.controlPath);

    ServerOptions serverOptions{std::move(settings), options.fault, options.pacing, nullptr};
    if (options.log) {
        serverOptions.monitor = PrintLine;
    }
    PtyCameraServer server(std::move(serverOptions));
    if (!options.linkPath.empty()) {
        CreateLink(options.linkPath, server.DevicePath());
    }
    PrintLine(server.DevicePath());
    std::cerr << "tavin-camsim: serving a simulated camera on " << server.DevicePath()
              << (options.linkPath.empty() ? "" : " (" + options.linkPath + ")")
              << (options.controlPath.empty() ? "" : ", commands on " + options.controlPath)
              << (options.fault.kind == FaultKind::None ? "" : ", fault " + ToString(options.fault))
              << (options.pacing.baud ? ", " + std::to_string(options.pacing.baud) + " baud" : "")
              << "; stop with Ctrl+C" << std::endl;

    TakeCommands(server, stopFd, fifo.Fd());
    server.Stop();
    close(stopFd);
    if (!options.linkPath.empty()) {
        RemoveLink(options.linkPath, server.DevicePath());
    }
    std::cerr << "tavin-camsim: stopped (" << server.BytesFromHost() << " bytes received, "
              << server.BytesToHost() << " sent)" << std::endl;
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    // A monitor piped into a pager that quits must not kill the simulator before it cleans up.
    signal(SIGPIPE, SIG_IGN);
    CamsimOptions options;
    try {
        options = ParseCamsimOptions({argv + 1, argv + argc});
    } catch (const std::invalid_argument& e) {
        std::cerr << "tavin-camsim: " << e.what() << "\n";
        return 2;
    }
    if (options.help) {
        std::cout << CamsimUsage();
        return 0;
    }
    try {
        return Run(options);
    } catch (const std::exception& e) {
        std::cerr << "tavin-camsim: " << e.what() << "\n";
        return 1;
    }
}
