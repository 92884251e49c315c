#pragma once

// Ctrl+C, `kill PID`, `systemctl stop` and a closed terminal ask tavinctl to stop (on Windows:
// Ctrl+C, Ctrl+Break and a closed console window). It then finishes the item in hand (a frame
// cut in half would leave the camera's receiver mid-message), says how far each camera got, and
// exits as a shell expects of a process such a signal ended. The catching is the operating
// system's business: InterruptsPosix.cpp, InterruptsWin32.cpp.

namespace tavin::ctl {

// Catches SIGINT, SIGTERM and SIGHUP (Windows: the console's control events) from now on.
// Idempotent.
void CatchInterrupts();

// The first signal that asked this process to stop, or 0. On Windows, the number of the POSIX
// signal of the same meaning.
int InterruptSignal();

// How many such signals have come so far (a second one means "now, not at the next item").
int InterruptCount();

// The exit status of a run that `signal` interrupted: 128 + its number (130 for SIGINT, 143 for
// SIGTERM), as the shell reports a process the signal ended.
int InterruptedExitStatus(int signal);

// "SIGINT", "SIGTERM", "SIGHUP" (or "a signal"); on Windows "Ctrl+C", "Ctrl+Break", ...
const char* InterruptName(int signal);

}  // namespace tavin::ctl
