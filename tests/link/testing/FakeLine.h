#pragma once

#include <cstdint>
#include <vector>

#include "ArrivalQueue.h"
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

    // What has arrived, and waiting for more, as the host sees it.
    int32_t TakeArrived(uint8_t* bytes, int32_t count) { return arrivals_.Take(bytes, count); }
    bool WaitArrival(int32_t timeoutMs) { return arrivals_.WaitArrival(timeoutMs); }
    void DropArrived() { arrivals_.DropArrived(); }
    size_t ArrivedCount() const { return arrivals_.ArrivedCount(); }

    VirtualClock& Clock() { return clock_; }

  private:
    void Schedule(const std::vector<FakeCameraPeer::Chunk>& chunks);

    VirtualClock& clock_;
    FakeCameraPeer& peer_;
    ArrivalQueue arrivals_{clock_};
};

}  // namespace tavin::testing
