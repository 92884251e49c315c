// The link processes on Linux: fork() gives each link a copy of the prepared job, a pipe brings
// its frames back, and poll() waits for all of them and for interrupts at once.
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>

#include "Interrupts.h"
#include "InterruptsPosix.h"
#include "LinkProcess.h"
#include "LinkReport.h"
#include "LinkRunner.h"

namespace tavin::ctl {

namespace {

void SendFrame(int fd, FrameKind kind, std::string_view text) {
    const std::string frame = EncodeFrame(kind, text);
    for (size_t sent = 0; sent < frame.size();) {
        const ssize_t n = ::write(fd, frame.data() + sent, frame.size() - sent);
        if (n < 0 && errno != EINTR) {
            return;  // the parent is gone; nobody is left to tell
        }
        sent += n > 0 ? static_cast<size_t>(n) : 0;
    }
}

// A link process ends with its parent: one that lost it could only write to a line nobody
// watches any more. Asked right after fork(), so a parent that died in between is noticed too.
void FollowParent(pid_t parent) {
    ForgetInterruptWakeups();
    if (::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || ::getppid() != parent) {
        ::_exit(kFailure);
    }
}

[[noreturn]] void RunChild(const CtlOptions& options, const LinkOptions& link, const CameraJob& job,
                           bool progress, int fd) {
    // Nothing may unwind out of here: the child would go on running the parent's loop.
    const int code = RunLinkProcessJob(
        options, link, job, progress,
        [fd](FrameKind kind, std::string_view text) { SendFrame(fd, kind, text); });
    ::_exit(code);
}

struct LinkProcess {
    pid_t pid = -1;
    int fd = -1;
    bool killed = false;
};

// Passes interrupts on to the links still running: the first as it came, so each stops after
// the item in hand and says how far it got; a further one kills them outright.
class InterruptRelay {
  public:
    void Pass(std::vector<LinkProcess>& processes) {
        DrainInterruptWakeups();
        const int count = InterruptCount();
        if (count == passed_) {
            return;
        }
        passed_ = count;
        const bool again = count > 1;
        for (LinkProcess& process : processes) {
            if (process.fd >= 0) {
                ::kill(process.pid, again ? SIGKILL : InterruptSignal());
                process.killed = process.killed || again;
            }
        }
    }

  private:
    int passed_ = 0;
};

LinkEnd Reap(const LinkProcess& process) {
    int waitStatus = 0;
    while (::waitpid(process.pid, &waitStatus, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(waitStatus)) {
        return LinkEnd::Exited(WEXITSTATUS(waitStatus));
    }
    return LinkEnd::Signaled(WIFSIGNALED(waitStatus) ? WTERMSIG(waitStatus) : 0, process.killed);
}

}  // namespace

int RunOnLinks(const CtlOptions& options, const CameraJob& job, Streams io) {
    io.out.flush();
    io.err.flush();
    std::vector<LinkRun> runs(options.links.size());
    std::vector<LinkProcess> processes(runs.size());
    const LinkClock::time_point started = LinkClock::now();
    const pid_t parent = ::getpid();
    for (size_t i = 0; i < runs.size(); ++i) {
        LinkRun& run = runs[i];
        run.link = &options.links[i];
        if (InterruptSignal() != 0) {
            run.result = "not started";
            continue;
        }
        int fds[2];
        if (::pipe(fds) != 0) {
            run.result = std::string("not started: ") + std::strerror(errno);
            continue;
        }
        run.started = LinkClock::now();
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::close(fds[0]);
            FollowParent(parent);
            RunChild(options, *run.link, job, io.progress, fds[1]);
        }
        ::close(fds[1]);
        if (pid < 0) {
            ::close(fds[0]);
            run.result = std::string("not started: ") + std::strerror(errno);
            continue;
        }
        processes[i].pid = pid;
        processes[i].fd = fds[0];
        run.running = true;
    }

    LinkPrinter printer(options, io, runs);
    for (const LinkRun& run : runs) {
        if (!run.running) {
            printer.Finished(run);
        }
    }
    InterruptRelay relay;
    for (;;) {
        relay.Pass(processes);
        std::vector<pollfd> polled;
        std::vector<size_t> owners;
        for (size_t i = 0; i < processes.size(); ++i) {
            if (processes[i].fd >= 0) {
                polled.push_back({processes[i].fd, POLLIN, 0});
                owners.push_back(i);
            }
        }
        if (polled.empty()) {
            break;
        }
        polled.push_back({InterruptWakeupFd(), POLLIN, 0});  // ignored while it is -1
        if (::poll(polled.data(), polled.size(), -1) < 0 && errno != EINTR) {
            break;
        }
        for (size_t k = 0; k < owners.size(); ++k) {
            if (polled[k].revents == 0) {
                continue;
            }
            LinkProcess& process = processes[owners[k]];
            LinkRun& run = runs[owners[k]];
            char buffer[4096];
            const ssize_t n = ::read(process.fd, buffer, sizeof buffer);
            if (n > 0) {
                run.received.append(buffer, static_cast<size_t>(n));
                TakeFrames(run);
                continue;
            }
            if (n < 0 && errno == EINTR) {
                continue;
            }
            // The child is done with the pipe: it has finished, or died.
            ::close(process.fd);
            process.fd = -1;
            run.seconds = std::chrono::duration<double>(LinkClock::now() - run.started).count();
            SetResult(options.command, Reap(process), run);
            printer.Finished(run);
        }
        printer.Status(LinkClock::now());
    }
    const int signal = InterruptSignal();
    const int status =
        signal != 0 ? InterruptedExitStatus(signal) : OverallStatus(options.command, runs);
    printer.Summary(std::chrono::duration<double>(LinkClock::now() - started).count(), signal,
                    status);
    return status;
}

}  // namespace tavin::ctl
