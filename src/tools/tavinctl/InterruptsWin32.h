#pragma once

#include <windows.h>

// What the Windows side of the interrupt handling offers the process code beside it.

namespace tavin::ctl {

// An event that is set whenever an interrupt comes, for WaitForMultipleObjects; null before
// CatchInterrupts(). It resets itself when a wait returns it.
HANDLE InterruptEvent();

// Records an interrupt that came another way than the console: the parent of a link or probe
// process passes its own on (ChildProcessWin32.h). `signal` is one of the numbers
// InterruptSignal() gives.
void RecordInterrupt(int signal);

}  // namespace tavin::ctl
