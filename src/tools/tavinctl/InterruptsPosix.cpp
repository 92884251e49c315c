// Signals on POSIX: the handler only records the signal and writes a byte to a pipe, so that a
// poll() that started just before the signal still wakes up.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <initializer_list>

#include "Interrupts.h"
#include "InterruptsPosix.h"

namespace tavin::ctl {

namespace {

volatile std::sig_atomic_t firstSignal = 0;
volatile std::sig_atomic_t signalCount = 0;
int wakeup[2] = {-1, -1};
bool caught = false;

void OnInterrupt(int signal) {
    const int savedErrno = errno;
    if (firstSignal == 0) {
        firstSignal = signal;
    }
    signalCount = signalCount + 1;
    if (wakeup[1] >= 0) {
        const char byte = 1;
        [[maybe_unused]] const ssize_t n = ::write(wakeup[1], &byte, 1);  // full: awake already
    }
    errno = savedErrno;
}

}  // namespace

void CatchInterrupts() {
    if (caught) {
        return;
    }
    caught = true;
    if (::pipe2(wakeup, O_CLOEXEC | O_NONBLOCK) != 0) {
        wakeup[0] = wakeup[1] = -1;  // polls then only see the signal as EINTR
    }
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    // One handler at a time: signals that arrive together are then handled in the order the
    // kernel delivers them, so the first of them is the one the exit status names.
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        sigaddset(&action.sa_mask, signal);
    }
    // Output and file writes carry on where the signal hit them; poll() returns early anyway.
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        sigaction(signal, &action, nullptr);
    }
}

int InterruptSignal() {
    return firstSignal;
}

int InterruptCount() {
    return signalCount;
}

int InterruptedExitStatus(int signal) {
    return 128 + signal;
}

const char* InterruptName(int signal) {
    switch (signal) {
        case SIGINT:
            return "SIGINT";
        case SIGTERM:
            return "SIGTERM";
        case SIGHUP:
            return "SIGHUP";
        default:
            return "a signal";
    }
}

int InterruptWakeupFd() {
    return wakeup[0];
}

void DrainInterruptWakeups() {
    char bytes[64];
    while (wakeup[0] >= 0 && ::read(wakeup[0], bytes, sizeof bytes) > 0) {
    }
}

void ForgetInterruptWakeups() {
    for (int& fd : wakeup) {
        if (fd >= 0) {
            ::close(fd);
            fd = -1;
        }
    }
}

}  // namespace tavin::ctl
