#pragma once

#include <cstdint>
#include <deque>
#include <vector>

#include "FakeCameraPeer.h"
#include "VirtualClock.h"

// The wire between the host and a FakeCameraPeer in virtual time: host bytes reach the peer at
// once, the peer's answers arrive at their scheduled virtual times.

namespace tavin::testing {

class FakeLine {
  public:
    FakeLine(VirtualClock& clock, FakeCameraPeer& peer) : clock_(clock), peer_(peer) {}

    void HostSends(const uint8_t* bytes, size_t count);
    // Bytes from the camera that no host byte caused (noise, a late reply).
    void CameraSends(const std::vector<uint8_t>& bytes, uint32_t delayMs = 0);

    // Takes up to `count` bytes that have arrived by now.
    int32_t TakeArrived(uint8_t* bytes, int32_t count);
    // Advances the clock to the next arrival within `timeoutMs`; false (clock moved by the
    // whole time-out) when none comes.
    bool WaitArrival(int32_t timeoutMs);
    // Drops what has arrived; bytes still on their way arrive later.
    void DropArrived();
    size_t ArrivedCount() const;

    VirtualClock& Clock() { return clock_; }

  private:
    struct Pending {
        uint64_t at;
        uint8_t byte;
    };
    void Schedule(const std::vector<FakeCameraPeer::Chunk>& chunks);

    VirtualClock& clock_;
    FakeCameraPeer& peer_;
    std::deque<Pending> input_;  // in order of arrival
};

}  // namespace tavin::testing
