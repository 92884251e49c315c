#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "ProtocolEngine.h"

// The simulated camera behind a simulated serial line. Time is passed in explicitly, so the same
// object serves a real pseudo-terminal (wall-clock time) and unit tests (virtual time).
//
// Pacing models a full-duplex line at 8N2, 11 bit times per byte. A byte occupies the line for
// one byte time in each direction: it reaches the camera's logic one byte time after it arrived
// or after the previous byte got through, whichever is later, and a byte to the host is handed
// over one byte time after it was ready or after the previous byte was handed over. The camera
// also thinks for the turnaround delay before it answers anything.

namespace tavin::sim {

using SimTime = std::chrono::nanoseconds;

struct LinePacing {
    int baud = 0;  // 0: no pacing, bytes move instantly
    std::chrono::microseconds turnaround{0};
};

// One byte's time on the line at `baud` (zero when unpaced).
SimTime ByteTime(int baud);

struct LineOutput {
    std::vector<uint8_t> bytes;  // bytes that reached the host by now
    bool closed = false;         // the camera hung up and everything before that went out
};

class VirtualCamera {
  public:
    using Observer = std::function<void(SimTime, const MonitorEvent&)>;

    explicit VirtualCamera(CameraSettings settings = CameraSettings());

    void SetFault(const Fault& fault) { engine_.SetFault(fault); }
    void SetPacing(const LinePacing& pacing) { pacing_ = pacing; }
    const LinePacing& Pacing() const { return pacing_; }
    void SetObserver(Observer observer);

    // Bytes the host wrote at `now`.
    void FromHost(std::span<const uint8_t> bytes, SimTime now);
    // Runs the camera up to `now`; returns what has reached the host by then.
    LineOutput Advance(SimTime now);
    // Closes the line at `now`, as a pulled cable does.
    void HangUp(SimTime now);
    // When Advance next has something to do, if anything is pending.
    std::optional<SimTime> NextEventTime() const;

    uint64_t BytesFromHost() const { return bytesFromHost_; }
    uint64_t BytesToHost() const { return bytesToHost_; }

    ProtocolEngine& Engine() { return engine_; }
    const ProtocolEngine& Engine() const { return engine_; }

  private:
    struct TimedByte {
        uint8_t byte;
        SimTime at;
    };

    ProtocolEngine engine_;
    LinePacing pacing_;
    Observer observer_;
    SimTime eventTime_{};

    std::deque<TimedByte> inbound_;   // at = when the camera's logic gets it
    std::deque<TimedByte> outbound_;  // at = when the host gets it
    SimTime lastInbound_{SimTime::min()};
    SimTime lastOutbound_{SimTime::min()};
    uint64_t bytesFromHost_ = 0;
    uint64_t bytesToHost_ = 0;
};

}  // namespace tavin::sim
