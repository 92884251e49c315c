#pragma once

#include <cstdint>
#include <span>

#include "ArrivalQueue.h"
#include "SerialDevice.h"

// A serial device whose far end plays back a script, in virtual time. The script is a series
// of chunks, each a header byte and up to 31 bytes: every write of the host releases the next
// chunk, which arrives (header >> 5) * 700 ms later, so replies can come whole, late, in
// pieces, or not at all. What the host writes is not looked at.

namespace tavin::fuzz {

class ScriptedCameraDevice final : public SerialDevice {
  public:
    ScriptedCameraDevice(testing::VirtualClock& clock, std::span<const uint8_t> script)
        : clock_(clock), script_(script) {}

    OpenResult Open(int32_t, const LineSettings&) override {
        open_ = true;
        return OpenResult::kOpened;
    }
    void Close() override { open_ = false; }
    bool IsOpen() const override { return open_; }
    int32_t WriteSome(const uint8_t*, int32_t count) override;
    int32_t PendingOutput() override { return 0; }
    int32_t ReadSome(uint8_t* bytes, int32_t count) override {
        return inFlight_.Take(bytes, count);
    }
    bool WaitReadable(int32_t timeoutMs) override { return inFlight_.WaitArrival(timeoutMs); }
    bool WaitWritable(int32_t) override { return true; }
    bool WaitDrained(int32_t) override { return true; }
    bool Purge(bool, bool input) override {
        if (input) {
            inFlight_.DropArrived();
        }
        return true;
    }
    uint32_t TakeLineErrors() override { return 0; }

  private:
    testing::VirtualClock& clock_;
    std::span<const uint8_t> script_;
    testing::ArrivalQueue inFlight_{clock_};
    bool open_ = false;
};

}  // namespace tavin::fuzz
