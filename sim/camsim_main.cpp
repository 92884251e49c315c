// tavin-camsim: a simulated camera on a pseudo-terminal, for trying the control program without
// hardware, reproducing a camera's bad days and watching the protocol go by.

#include <signal.h>
#include <sys/signalfd.h>
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

// One whole line at a time, so the monitor (on the server thread) and the answers to commands
// never break into each other's lines.
void PrintLine(const std::string& text) {
    std::cout << (text + "\n") << std::flush;
}

int Run(const CamsimOptions& options) {
    CameraSettings settings(options.model);
    if (!options.stateFile.empty()) {
        settings.Load(ReadDataFile(options.stateFile));
    }

    // Block the stop signals before the server thread starts, so that only the signalfd sees them.
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

    // Standard input ends at end of file, or at once for a background job of a terminal (its
    // reads fail instead of stopping the process).
    signal(SIGTTIN, SIG_IGN);
    TakeCommands(server, stopFd, {STDIN_FILENO, fifo.Fd()}, PrintLine);
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
