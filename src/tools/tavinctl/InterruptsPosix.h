#pragma once

// What the POSIX side of the interrupt handling offers the process code beside it.

namespace tavin::ctl {

// A descriptor that becomes readable when an interrupt comes, for poll(); -1 before
// CatchInterrupts(). Whoever polls it drains it with DrainInterruptWakeups().
int InterruptWakeupFd();
void DrainInterruptWakeups();

// In a freshly forked link process: its own wake-up pipe is of no use and the parent's must not
// be filled, so drop them; interrupts are still recorded.
void ForgetInterruptWakeups();

}  // namespace tavin::ctl
