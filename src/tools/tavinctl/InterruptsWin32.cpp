// Interrupts on Windows come as console control events (SetConsoleCtrlHandler), on a thread the
// system starts for each. They are numbered as the POSIX signals of the same meaning, so that
// the exit statuses are those a shell gives there: Ctrl+C as SIGINT (130), Ctrl+Break as the C
// library's SIGBREAK (149), a closed console window as SIGHUP (129), and the end of the
// session or of the system, which only services see, as SIGTERM (143).
#include <atomic>

#include "Interrupts.h"
#include "InterruptsWin32.h"

namespace tavin::ctl {

namespace {

constexpr int kHangUp = 1;      // SIGHUP
constexpr int kCtrlC = 2;       // SIGINT
constexpr int kStop = 15;       // SIGTERM
constexpr int kCtrlBreak = 21;  // SIGBREAK

std::atomic<int> firstSignal{0};
std::atomic<int> signalCount{0};
HANDLE wakeup = nullptr;
bool caught = false;

int SignalOf(DWORD event) {
    switch (event) {
        case CTRL_C_EVENT:
            return kCtrlC;
        case CTRL_BREAK_EVENT:
            return kCtrlBreak;
        case CTRL_CLOSE_EVENT:
            return kHangUp;
        default:
            return kStop;  // CTRL_LOGOFF_EVENT, CTRL_SHUTDOWN_EVENT
    }
}

BOOL WINAPI OnConsoleEvent(DWORD event) {
    RecordInterrupt(SignalOf(event));
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
        // Windows ends the process as soon as this returns. Held here, the command finishes the
        // item in hand and the process ends with its status, or when Windows stops waiting
        // (after five seconds or so).
        Sleep(INFINITE);
    }
    return TRUE;
}

}  // namespace

void CatchInterrupts() {
    if (caught) {
        return;
    }
    caught = true;
    wakeup = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

void RecordInterrupt(int signal) {
    int none = 0;
    firstSignal.compare_exchange_strong(none, signal);
    ++signalCount;
    if (wakeup) {
        SetEvent(wakeup);
    }
}

HANDLE InterruptEvent() {
    return wakeup;
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
        case kCtrlC:
            return "Ctrl+C";
        case kCtrlBreak:
            return "Ctrl+Break";
        case kHangUp:
            return "console closed";
        case kStop:
            return "session ending";
        default:
            return "an interrupt";
    }
}

}  // namespace tavin::ctl
