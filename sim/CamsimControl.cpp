#include "CamsimControl.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <exception>
#include <filesystem>
#include <system_error>

#include "DataFile.h"

namespace tavin::sim {

namespace {

std::string_view Trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

std::string Status(PtyCameraServer& server) {
    return "status: fault " + ToString(server.CurrentFault()) + ", line " +
           (server.WaitForHangUp(std::chrono::milliseconds(0)) ? "closed" : "open") + ", " +
           std::to_string(server.BytesFromHost()) + " bytes received, " +
           std::to_string(server.BytesToHost()) + " sent";
}

}  // namespace

std::vector<std::string> LineSplitter::Take(std::string_view bytes) {
    std::vector<std::string> lines;
    for (const char c : bytes) {
        if (c == '\n') {
            lines.push_back(std::move(partial_));
            partial_.clear();
        } else if (partial_.size() <= kMaxLine) {
            partial_ += c;
        }
    }
    return lines;
}

std::string RunControlCommand(PtyCameraServer& server, std::string_view line) {
    struct Command {
        std::string_view name;
        bool takesArgument;
        std::string (*run)(PtyCameraServer&, const std::string&);
    };
    static constexpr Command kCommands[] = {
        {"fault", true,
         [](PtyCameraServer& s, const std::string& spec) {
             const Fault fault = ParseFault(spec);
             s.SetFault(fault);
             return "fault " + ToString(fault);
         }},
        {"load", true,
         [](PtyCameraServer& s, const std::string& file) {
             // A FIFO or device could block the command reader for good.
             if (!std::filesystem::is_regular_file(file)) {
                 throw DataFileError(file + " is not a data file");
             }
             s.Load(ReadDataFile(file));
             return "loaded " + file;
         }},
        {"hangup", false,
         [](PtyCameraServer& s, const std::string&) {
             s.HangUp();
             return std::string("hung up");
         }},
        {"status", false, [](PtyCameraServer& s, const std::string&) { return Status(s); }},
        {"help", false,
         [](PtyCameraServer&, const std::string&) {
             return ControlHelp() + "\nFaults:\n" + FaultHelp();
         }},
    };

    line = Trim(line);
    if (line.empty()) {
        return {};
    }
    if (line.size() > LineSplitter::kMaxLine) {
        return "error: line too long";
    }
    const auto space = line.find_first_of(" \t");
    const std::string_view name = line.substr(0, space);
    const std::string argument(space == std::string_view::npos ? std::string_view{}
                                                               : Trim(line.substr(space)));
    for (const Command& command : kCommands) {
        if (command.name != name) {
            continue;
        }
        if (command.takesArgument == argument.empty()) {
            return "error: " + std::string(name) +
                   (command.takesArgument ? " needs an argument" : " takes no argument");
        }
        try {
            return command.run(server, argument);
        } catch (const std::exception& e) {
            // One line, as every answer but help's; help lists the faults.
            const std::string_view what = e.what();
            const auto end = what.find('\n');
            return "error: " + std::string(what.substr(0, end)) +
                   (end == std::string_view::npos ? "" : " see help");
        }
    }
    return "error: unknown command \"" + std::string(line) + "\" (try help)";
}

std::string ControlHelp() {
    return "Commands (one a line):\n"
           "  fault FAULT   misbehave from now on, as --fault FAULT; \"fault none\" behaves again\n"
           "  hangup        hang up for good: the device goes away, as an unplugged adapter does\n"
           "  load FILE     take the settings of a .tvn data file\n"
           "  status        print the fault, the line's state and the byte counts\n"
           "  help          show this text";
}

ControlFifo::ControlFifo(std::string path) : path_(std::move(path)) {
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

ControlFifo::~ControlFifo() {
    if (fd_ >= 0) {
        close(fd_);
        unlink(path_.c_str());
    }
}

void TakeCommands(PtyCameraServer& server, int stopFd, int fifoFd,
                  const std::function<void(const std::string&)>& print) {
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
            if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
                continue;
            }
            if (n <= 0) {
                fds[i].fd = -1;  // ended or unreadable: poll ignores it from now on
                continue;
            }
            LineSplitter& lines = i == 1 ? fromStdin : fromFifo;
            for (const std::string& line : lines.Take({buffer, size_t(n)})) {
                if (const std::string answer = RunControlCommand(server, line); !answer.empty()) {
                    print(answer);
                }
            }
        }
    }
}

}  // namespace tavin::sim
