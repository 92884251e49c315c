#pragma once

#include <cstdint>

// A millisecond tick count that never wraps. The transport takes all its deadlines from one of
// these, so tests can run every time-out in virtual time.

namespace tavin {

class TickSource {
  public:
    virtual ~TickSource() = default;
    // Milliseconds since an arbitrary start; never decreases.
    virtual uint64_t NowMs() = 0;
};

// The monotonic clock of the host.
TickSource& SystemTicks();

}  // namespace tavin
