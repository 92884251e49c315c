#pragma once

#include <cstdint>

// The millisecond tick count the shutter loop test paces itself by, and how the time between
// two readings is passed. Tests supply a virtual one, so a run of 88 one-second steps takes no
// real time.

namespace tavin {

class MillisecondClock {
  public:
    virtual ~MillisecondClock() = default;
    // Milliseconds since an arbitrary start, as a 32-bit count that wraps around.
    virtual uint32_t TickCount() = 0;
    // Lets the windows repaint (timers and window-system events run, user input stays queued)
    // for at most about `ms` milliseconds.
    virtual void Pause(uint32_t ms) = 0;
};

// The host's monotonic clock; Pause sleeps in the event loop, it does not spin.
MillisecondClock& SystemMillisecondClock();

}  // namespace tavin
