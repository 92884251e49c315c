#include "LinkReport.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <sstream>

#include "Interrupts.h"
#include "Report.h"

namespace tavin::ctl {

namespace {

constexpr size_t kHeaderSize = 1 + sizeof(uint32_t);
constexpr size_t kResultWidth = 7;

std::string Seconds(double seconds, int digits = 2) {
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", digits, seconds);
    return text;
}

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

}  // namespace

void SetResult(Command command, const LinkEnd& end, LinkRun& run) {
    run.running = false;
    if (!end.exited) {
        run.exitStatus = kFailure;
        run.result = end.killed   ? "killed"
                     : end.signal ? "crashed (signal " + std::to_string(end.signal) + ")"
                                  : "crashed";
        return;
    }
    run.exitStatus = end.exitStatus;
    const bool diff = command == Command::Diff;
    switch (end.exitStatus) {
        case kSuccess:
            run.result = "ok";
            return;
        case kFailure:
            run.result = diff ? "differs" : "failed";
            return;
        case kUsageError:
            // diff: the camera could not be read, which is no difference.
            run.result = diff ? "failed" : "refused";
            return;
        default:
            // Above 128 only when an interrupt stopped it (InterruptedExitStatus).
            run.result = end.exitStatus > 128 ? "interrupted" : "failed";
    }
}

int OverallStatus(Command command, const std::vector<LinkRun>& runs) {
    int status = kSuccess;
    for (const LinkRun& run : runs) {
        if (run.exitStatus == kSuccess) {
            continue;
        }
        const bool differs = command == Command::Diff && run.exitStatus == kFailure;
        status = std::max(status, differs || command != Command::Diff ? +kFailure : +kUsageError);
    }
    return status;
}

std::string EncodeFrame(FrameKind kind, std::string_view text) {
    std::string frame(kHeaderSize, kind);
    const auto size = static_cast<uint32_t>(text.size());
    std::memcpy(frame.data() + 1, &size, sizeof size);
    frame.append(text);
    return frame;
}

void TakeFrames(LinkRun& run) {
    std::string& data = run.received;
    while (data.size() >= kHeaderSize) {
        uint32_t size = 0;
        std::memcpy(&size, data.data() + 1, sizeof size);
        if (data.size() < kHeaderSize + size) {
            return;
        }
        std::string text = data.substr(kHeaderSize, size);
        switch (data[0]) {
            case kProgressFrame:
                run.progress = std::move(text);
                break;
            case kOutFrame:
                run.out = std::move(text);
                break;
            default:
                run.err = std::move(text);
        }
        data.erase(0, kHeaderSize + size);
    }
}

std::string ProgressOfLink(std::string_view flushed) {
    std::string text(flushed.substr(flushed.find_last_of('\r') + 1));
    text.erase(std::min(text.find(' ', text.find(' ') + 1), text.size()));
    return text;
}

std::string OneLineJson(std::string_view json) {
    std::string line;
    bool inString = false;
    for (size_t i = 0; i < json.size(); ++i) {
        const char c = json[i];
        if (inString) {
            line += c;
            if (c == '\\' && i + 1 < json.size()) {
                line += json[++i];
            } else if (c == '"') {
                inString = false;
            }
        } else if (c != ' ' && c != '\n' && c != '\r' && c != '\t') {
            inString = c == '"';
            line += c;
            if (c == ',' || c == ':') {
                line += ' ';
            }
        }
    }
    return line;
}

LinkPrinter::LinkPrinter(const CtlOptions& options, Streams io, const std::vector<LinkRun>& runs)
    : options_(options), io_(io), runs_(runs) {
    for (const LinkRun& run : runs) {
        nameWidth_ = std::max(nameWidth_, run.link->name.size());
    }
}

void LinkPrinter::Finished(const LinkRun& run) {
    ClearStatus();
    const std::string& name = run.link->name;
    if (options_.json) {
        // JSON Lines: one whole object per line, whatever the command printed.
        const std::string output = !PrintsJson(options_) ? JsonString(run.out)
                                   : run.out.empty()     ? "null"
                                                         : OneLineJson(run.out);
        io_.out << "{\"link\": " << JsonString(name) << ", \"result\": " << JsonString(run.result)
                << ", \"exit\": " << run.exitStatus << ", \"seconds\": " << Seconds(run.seconds, 3)
                << ", \"output\": " << output << ", \"errors\": " << JsonString(run.err) << "}\n";
    } else {
        io_.out << Padded(name, nameWidth_) << "  " << Padded(run.result, kResultWidth) << "  "
                << Seconds(run.seconds) << " s\n"
                << Indented(run.out) << Indented(run.err);
    }
    io_.out << std::flush;
}

void LinkPrinter::Summary(double seconds, int interruptSignal, int exitStatus) {
    ClearStatus();
    size_t ok = 0;
    std::vector<std::string> failed;
    for (const LinkRun& run : runs_) {
        if (run.exitStatus == kSuccess) {
            ++ok;
        } else {
            failed.push_back(run.link->name);
        }
    }
    if (options_.json) {
        io_.out << "{\"links\": " << runs_.size() << ", \"ok\": " << ok << ", \"failed\": [";
        for (size_t i = 0; i < failed.size(); ++i) {
            io_.out << (i ? ", " : "") << JsonString(failed[i]);
        }
        io_.out << "], \"seconds\": " << Seconds(seconds, 3)
                << ", \"interrupted\": " << (interruptSignal ? "true" : "false")
                << ", \"exit\": " << exitStatus << "}\n"
                << std::flush;
        return;
    }
    io_.out << runs_.size() << " links: " << ok << " ok, " << failed.size() << " not ok";
    for (size_t i = 0; i < failed.size(); ++i) {
        io_.out << (i ? ", " : ": ") << failed[i];
    }
    io_.out << " (" << Seconds(seconds) << " s)";
    if (interruptSignal) {
        io_.out << "; interrupted (" << InterruptName(interruptSignal) << ")";
    }
    io_.out << '\n' << std::flush;
}

void LinkPrinter::Status(LinkClock::time_point now) {
    if (!io_.progress || now - drawn_ < std::chrono::milliseconds(100)) {
        return;
    }
    drawn_ = now;
    size_t done = 0;
    std::string running;
    for (const LinkRun& run : runs_) {
        if (!run.running) {
            ++done;
        } else {
            running += "  " + run.link->name + (run.progress.empty() ? "" : " ") + run.progress;
        }
    }
    std::string text =
        std::to_string(done) + "/" + std::to_string(runs_.size()) + " done" + running;
    constexpr size_t kWidth = 79;
    if (text.size() > kWidth) {
        text = text.substr(0, kWidth - 3) + "...";
    }
    io_.err << '\r' << text << std::string(shown_ > text.size() ? shown_ - text.size() : 0, ' ')
            << std::flush;
    shown_ = text.size();
}

void LinkPrinter::ClearStatus() {
    if (shown_ > 0) {
        io_.err << '\r' << std::string(shown_, ' ') << '\r' << std::flush;
        shown_ = 0;
        drawn_ = {};
    }
}

}  // namespace tavin::ctl
