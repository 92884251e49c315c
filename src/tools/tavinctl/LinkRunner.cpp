#include "LinkRunner.h"

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <sstream>

#include "ConsoleUserInterface.h"
#include "LinkList.h"
#include "Report.h"

namespace tavin::ctl {

namespace {

using Clock = std::chrono::steady_clock;

// What a child sends: a kind byte, a length and the text.
enum FrameKind : char { kProgressFrame = 'P', kOutFrame = 'O', kErrFrame = 'E' };
constexpr size_t kHeaderSize = 1 + sizeof(uint32_t);

void SendFrame(int fd, FrameKind kind, std::string_view text) {
    std::string frame(kHeaderSize, kind);
    const auto size = static_cast<uint32_t>(text.size());
    std::memcpy(frame.data() + 1, &size, sizeof size);
    frame.append(text);
    for (size_t sent = 0; sent < frame.size();) {
        const ssize_t n = ::write(fd, frame.data() + sent, frame.size() - sent);
        if (n < 0 && errno != EINTR) {
            return;  // the parent is gone; nobody is left to tell
        }
        sent += n > 0 ? static_cast<size_t>(n) : 0;
    }
}

// The child's progress stream: each flush of a Progress line ("\rReading 3/45 ...") goes to
// the parent as the line's newest text.
class ProgressFrames final : public std::stringbuf {
  public:
    explicit ProgressFrames(int fd) : fd_(fd) {}

  protected:
    int sync() override {
        std::string text = str();
        str("");
        text = text.substr(text.find_last_of('\r') + 1);
        // "Writing 12/45": the item's name would crowd the other links off the line.
        text.erase(std::min(text.find(' ', text.find(' ') + 1), text.size()));
        SendFrame(fd_, kProgressFrame, text);
        return 0;
    }

  private:
    int fd_;
};

[[noreturn]] void RunChild(const CtlOptions& options, const LinkOptions& link, const CameraJob& job,
                           bool progress, int fd) {
    // A trace of its own per link: lines of several links in one file could not be told apart.
    if (const char* trace = std::getenv("TAVIN_TRACE"); trace && *trace) {
        const std::string mine = std::string(trace) + "." + FileNameOf(link.name);
        ::setenv("TAVIN_TRACE", mine.c_str(), 1);
    }
    CtlOptions mine = options;
    mine.links.clear();
    mine.link = link;
    mine.json = PrintsJson(options);
    if (!options.outputFile.empty()) {
        mine.outputFile = options.outputFile + "/" + FileNameOf(link.name) + ".tvn";
    }
    std::ostringstream out;
    std::ostringstream err;
    ProgressFrames frames(fd);
    std::ostream status(&frames);
    ConsoleUserInterface console(err);
    InstallUserInterface(&console);
    // Nothing may unwind out of here: the child would go on running the parent's loop.
    int code = kFailure;
    try {
        code = RunCameraJob(mine, link, job,
                            {.out = out, .err = err, .progress = progress, .status = &status});
    } catch (const std::exception& e) {
        err << "tavinctl: " << e.what() << '\n';
    }
    SendFrame(fd, kOutFrame, out.str());
    SendFrame(fd, kErrFrame, err.str());
    ::_exit(code);
}

struct Child {
    const LinkOptions* link = nullptr;
    pid_t pid = -1;
    int fd = -1;
    Clock::time_point started;
    std::string received;  // frames not yet taken apart
    std::string progress, out, err;
    int exitStatus = kFailure;
    std::string result;
    double seconds = 0;
};

// Takes the complete frames off the front of what was received.
void TakeFrames(Child& child) {
    std::string& data = child.received;
    while (data.size() >= kHeaderSize) {
        uint32_t size = 0;
        std::memcpy(&size, data.data() + 1, sizeof size);
        if (data.size() < kHeaderSize + size) {
            return;
        }
        std::string text = data.substr(kHeaderSize, size);
        switch (data[0]) {
            case kProgressFrame:
                child.progress = std::move(text);
                break;
            case kOutFrame:
                child.out = std::move(text);
                break;
            default:
                child.err = std::move(text);
        }
        data.erase(0, kHeaderSize + size);
    }
}

std::string ResultOf(Command command, int waitStatus, int& exitStatus) {
    if (!WIFEXITED(waitStatus)) {
        exitStatus = kFailure;
        return WIFSIGNALED(waitStatus)
                   ? "crashed (signal " + std::to_string(WTERMSIG(waitStatus)) + ")"
                   : "crashed";
    }
    exitStatus = WEXITSTATUS(waitStatus);
    switch (exitStatus) {
        case kSuccess:
            return "ok";
        case kFailure:
            return command == Command::Diff ? "differs" : "failed";
        default:
            return "refused";
    }
}

std::string Seconds(double seconds, int digits = 2) {
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", digits, seconds);
    return text;
}

constexpr size_t kResultWidth = 7;

std::string Padded(const std::string& text, size_t width) {
    return text + std::string(text.size() < width ? width - text.size() : 0, ' ');
}

std::string Indented(const std::string& text) {
    std::string result;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        result += "    " + line + '\n';
    }
    return result;
}

class Printer {
  public:
    Printer(const CtlOptions& options, Streams io, const std::vector<Child>& children)
        : options_(options), io_(io), children_(children) {
        for (const Child& child : children) {
            nameWidth_ = std::max(nameWidth_, child.link->name.size());
        }
    }

    void Finished(const Child& child) {
        ClearStatus();
        const std::string& name = child.link->name;
        if (options_.json) {
            const std::string output =
                !PrintsJson(options_) ? JsonString(child.out)
                : child.out.empty()   ? "null"
                                      : child.out.substr(0, child.out.find_last_not_of('\n') + 1);
            io_.out << "{\"link\": " << JsonString(name)
                    << ", \"result\": " << JsonString(child.result)
                    << ", \"exit\": " << child.exitStatus
                    << ", \"seconds\": " << Seconds(child.seconds, 3) << ", \"output\": " << output
                    << ", \"errors\": " << JsonString(child.err) << "}\n";
        } else {
            io_.out << Padded(name, nameWidth_) << "  " << Padded(child.result, kResultWidth)
                    << "  " << Seconds(child.seconds) << " s\n"
                    << Indented(child.out) << Indented(child.err);
        }
        io_.out << std::flush;
    }

    void Summary(double seconds) {
        ClearStatus();
        size_t ok = 0;
        std::vector<std::string> failed;
        for (const Child& child : children_) {
            if (child.exitStatus == kSuccess) {
                ++ok;
            } else {
                failed.push_back(child.link->name);
            }
        }
        if (options_.json) {
            io_.out << "{\"links\": " << children_.size() << ", \"ok\": " << ok
                    << ", \"failed\": [";
            for (size_t i = 0; i < failed.size(); ++i) {
                io_.out << (i ? ", " : "") << JsonString(failed[i]);
            }
            io_.out << "], \"seconds\": " << Seconds(seconds, 3) << "}\n";
            return;
        }
        io_.out << children_.size() << " links: " << ok << " ok, " << failed.size() << " not ok";
        for (size_t i = 0; i < failed.size(); ++i) {
            io_.out << (i ? ", " : ": ") << failed[i];
        }
        io_.out << " (" << Seconds(seconds) << " s)\n" << std::flush;
    }

    // One line of where each unfinished link has got to, redrawn on a terminal only.
    void Status(Clock::time_point now) {
        if (!io_.progress || now - drawn_ < std::chrono::milliseconds(100)) {
            return;
        }
        drawn_ = now;
        size_t done = 0;
        std::string running;
        for (const Child& child : children_) {
            if (child.fd < 0) {
                ++done;
            } else {
                running +=
                    "  " + child.link->name + (child.progress.empty() ? "" : " ") + child.progress;
            }
        }
        std::string text =
            std::to_string(done) + "/" + std::to_string(children_.size()) + " done" + running;
        constexpr size_t kWidth = 79;
        if (text.size() > kWidth) {
            text = text.substr(0, kWidth - 3) + "...";
        }
        io_.err << '\r' << text << std::string(shown_ > text.size() ? shown_ - text.size() : 0, ' ')
                << std::flush;
        shown_ = text.size();
    }

  private:
    void ClearStatus() {
        if (shown_ > 0) {
            io_.err << '\r' << std::string(shown_, ' ') << '\r' << std::flush;
            shown_ = 0;
            drawn_ = {};
        }
    }

    const CtlOptions& options_;
    Streams io_;
    const std::vector<Child>& children_;
    size_t nameWidth_ = 0;
    size_t shown_ = 0;
    Clock::time_point drawn_;
};

}  // namespace

int RunOnLinks(const CtlOptions& options, const CameraJob& job, Streams io) {
    if (!options.outputFile.empty() && !std::filesystem::is_directory(options.outputFile)) {
        io.err << "tavinctl: with several links, -o takes a directory for their data files; "
               << options.outputFile << " is none\n";
        return kUsageError;
    }
    io.out.flush();
    io.err.flush();
    std::vector<Child> children(options.links.size());
    const Clock::time_point started = Clock::now();
    for (size_t i = 0; i < children.size(); ++i) {
        Child& child = children[i];
        child.link = &options.links[i];
        int fds[2];
        if (::pipe(fds) != 0) {
            child.result = std::string("not started: ") + std::strerror(errno);
            continue;
        }
        child.started = Clock::now();
        child.pid = ::fork();
        if (child.pid == 0) {
            ::close(fds[0]);
            RunChild(options, *child.link, job, io.progress, fds[1]);
        }
        ::close(fds[1]);
        if (child.pid < 0) {
            ::close(fds[0]);
            child.result = std::string("not started: ") + std::strerror(errno);
            continue;
        }
        child.fd = fds[0];
    }

    Printer printer(options, io, children);
    for (Child& child : children) {
        if (child.fd < 0) {
            printer.Finished(child);
        }
    }
    for (;;) {
        std::vector<pollfd> polled;
        std::vector<Child*> owners;
        for (Child& child : children) {
            if (child.fd >= 0) {
                polled.push_back({child.fd, POLLIN, 0});
                owners.push_back(&child);
            }
        }
        if (polled.empty()) {
            break;
        }
        if (::poll(polled.data(), polled.size(), -1) < 0 && errno != EINTR) {
            break;
        }
        for (size_t i = 0; i < polled.size(); ++i) {
            if (polled[i].revents == 0) {
                continue;
            }
            Child& child = *owners[i];
            char buffer[4096];
            const ssize_t n = ::read(child.fd, buffer, sizeof buffer);
            if (n > 0) {
                child.received.append(buffer, static_cast<size_t>(n));
                TakeFrames(child);
                continue;
            }
            if (n < 0 && errno == EINTR) {
                continue;
            }
            // The child is done with the pipe: it has finished, or died.
            ::close(child.fd);
            child.fd = -1;
            int waitStatus = 0;
            while (::waitpid(child.pid, &waitStatus, 0) < 0 && errno == EINTR) {
            }
            child.seconds = std::chrono::duration<double>(Clock::now() - child.started).count();
            child.result = ResultOf(options.command, waitStatus, child.exitStatus);
            printer.Finished(child);
        }
        printer.Status(Clock::now());
    }
    printer.Summary(std::chrono::duration<double>(Clock::now() - started).count());
    for (const Child& child : children) {
        if (child.exitStatus != kSuccess) {
            return kFailure;
        }
    }
    return kSuccess;
}

}  // namespace tavin::ctl
