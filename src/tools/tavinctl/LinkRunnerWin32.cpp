// The link processes on Windows: each link is this program started again (ChildProcessWin32.h)
// and told its link and the prepared job; its frames come back on its standard output, read by
// a thread per link, and one wait covers them all and the interrupts.
#include <windows.h>

#include <memory>
#include <mutex>

#include "ChildProcessWin32.h"
#include "Interrupts.h"
#include "InterruptsWin32.h"
#include "LinkOrder.h"
#include "LinkProcess.h"
#include "LinkReport.h"
#include "LinkRunner.h"

namespace tavin::ctl {

namespace {

// Children that crashed end with an exception code, such as 0xC0000005 for an access violation.
constexpr DWORD kFirstExceptionCode = 0xC0000000;

// What the reader threads hand over and the main loop takes.
struct Shared {
    std::mutex mutex;
    HANDLE wake = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    ~Shared() { CloseHandle(wake); }
};

struct LinkChild {
    ChildProcess process;
    std::string received;  // under Shared::mutex
    bool ended = false;    // under Shared::mutex: all it wrote was received
};

LinkEnd EndOf(ChildProcess& process) {
    const DWORD code = process.Wait();
    if (process.Killed() || code >= kFirstExceptionCode) {
        return LinkEnd::Signaled(0, process.Killed());
    }
    return LinkEnd::Exited(static_cast<int>(code));
}

// Passes interrupts on to the links still running: the first as it came, so each stops after
// the item in hand and says how far it got; a further one ends them outright.
class InterruptRelay {
  public:
    void Pass(std::vector<std::unique_ptr<LinkChild>>& children) {
        const int count = InterruptCount();
        if (count == passed_) {
            return;
        }
        passed_ = count;
        for (auto& child : children) {
            count > 1 ? child->process.Kill() : child->process.PassInterrupt(InterruptSignal());
        }
    }

  private:
    int passed_ = 0;
};

}  // namespace

int RunOnLinks(const CtlOptions& options, const CameraJob& job, Streams io) {
    io.out.flush();
    io.err.flush();
    std::vector<LinkRun> runs(options.links.size());
    std::vector<std::unique_ptr<LinkChild>> children;
    Shared shared;
    const LinkClock::time_point started = LinkClock::now();
    for (size_t i = 0; i < runs.size(); ++i) {
        LinkRun& run = runs[i];
        run.link = &options.links[i];
        children.push_back(std::make_unique<LinkChild>());
        if (InterruptSignal() != 0) {
            run.result = "not started";
            continue;
        }
        LinkChild& child = *children.back();
        const std::string order = EncodeLinkOrder(
            {.options = options, .link = *run.link, .job = job, .progress = io.progress});
        std::string error;
        run.started = LinkClock::now();
        const bool ok = child.process.Start(
            "--link-process", order,
            [&shared, &child](std::string_view piece) {
                {
                    std::lock_guard lock(shared.mutex);
                    child.received.append(piece);
                    child.ended = piece.empty();
                }
                SetEvent(shared.wake);
            },
            error);
        if (!ok) {
            run.result = "not started: " + error;
            continue;
        }
        run.running = true;
    }

    LinkPrinter printer(options, io, runs);
    for (const LinkRun& run : runs) {
        if (!run.running) {
            printer.Finished(run);
        }
    }
    InterruptRelay relay;
    const HANDLE waits[] = {shared.wake, InterruptEvent()};
    for (;;) {
        relay.Pass(children);
        bool running = false;
        for (size_t i = 0; i < runs.size(); ++i) {
            LinkRun& run = runs[i];
            if (!run.running) {
                continue;
            }
            bool ended = false;
            {
                std::lock_guard lock(shared.mutex);
                run.received += children[i]->received;
                children[i]->received.clear();
                ended = children[i]->ended;
            }
            TakeFrames(run);
            if (!ended) {
                running = true;
                continue;
            }
            run.seconds = std::chrono::duration<double>(LinkClock::now() - run.started).count();
            SetResult(options.command, EndOf(children[i]->process), run);
            printer.Finished(run);
        }
        if (!running) {
            break;
        }
        printer.Status(LinkClock::now());
        WaitForMultipleObjects(waits[1] ? 2 : 1, waits, FALSE, INFINITE);
    }
    const int signal = InterruptSignal();
    const int status =
        signal != 0 ? InterruptedExitStatus(signal) : OverallStatus(options.command, runs);
    printer.Summary(std::chrono::duration<double>(LinkClock::now() - started).count(), signal,
                    status);
    return status;
}

int RunLinkProcess() {
    const std::optional<std::string> work = ReceiveFromParent();
    const std::optional<LinkOrder> order = work ? DecodeLinkOrder(*work) : std::nullopt;
    if (!order) {
        return kUsageError;
    }
    return RunLinkProcessJob(
        order->options, order->link, order->job, order->progress,
        [](FrameKind kind, std::string_view text) { SendToParent(EncodeFrame(kind, text)); });
}

}  // namespace tavin::ctl
