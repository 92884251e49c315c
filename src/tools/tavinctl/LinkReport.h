#pragma once

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "Commands.h"

// What a run on several links prints, whatever runs the links: a line (or a JSON Lines object)
// per link as it finishes, a status line on a terminal meanwhile, and the summary. Also the
// frames a link process sends its parent, so that a Windows twin of the process code can speak
// the same.

namespace tavin::ctl {

using LinkClock = std::chrono::steady_clock;

// One link's run as the parent sees it.
struct LinkRun {
    const LinkOptions* link = nullptr;
    bool running = false;
    LinkClock::time_point started;
    std::string received;  // frames not yet taken apart
    std::string progress, out, err;
    int exitStatus = kFailure;
    std::string result;  // "ok", "failed", "differs", "interrupted", ...
    double seconds = 0;
};

// How a link process ended.
struct LinkEnd {
    bool exited = true;
    int exitStatus = kFailure;  // when it exited
    int signal = 0;             // when a signal ended it
    bool killed = false;        // ended by the parent's SIGKILL on a second interrupt

    static LinkEnd Exited(int status) { return {true, status, 0, false}; }
    static LinkEnd Signaled(int signal, bool killed) { return {false, kFailure, signal, killed}; }
};
// Sets the run's result and exit status from how its process ended.
void SetResult(Command command, const LinkEnd& end, LinkRun& run);

// The run's exit status: for diff, 2 when a camera could not be compared, else 1 when one
// differs; for the other commands 1 when any link did not succeed.
int OverallStatus(Command command, const std::vector<LinkRun>& runs);

// A link process's message to its parent: a kind byte, a length and the text.
enum FrameKind : char { kProgressFrame = 'P', kOutFrame = 'O', kErrFrame = 'E' };
std::string EncodeFrame(FrameKind kind, std::string_view text);
// Takes the complete frames off the front of run.received.
void TakeFrames(LinkRun& run);
// The newest of the progress text a link's command flushed ("\rWriting 12/45 GAIN (FINE)"), cut
// to "Writing 12/45" so that the other links still fit on the line.
std::string ProgressOfLink(std::string_view flushed);

// `json` on one line: whitespace between tokens removed, strings untouched.
std::string OneLineJson(std::string_view json);

class LinkPrinter {
  public:
    LinkPrinter(const CtlOptions& options, Streams io, const std::vector<LinkRun>& runs);

    void Finished(const LinkRun& run);
    // `interruptSignal` 0 when the run was not interrupted.
    void Summary(double seconds, int interruptSignal, int exitStatus);
    // One line of where each unfinished link has got to, redrawn on a terminal only.
    void Status(LinkClock::time_point now);

  private:
    void ClearStatus();

    const CtlOptions& options_;
    Streams io_;
    const std::vector<LinkRun>& runs_;
    size_t nameWidth_ = 0;
    size_t shown_ = 0;
    LinkClock::time_point drawn_;
};

}  // namespace tavin::ctl
