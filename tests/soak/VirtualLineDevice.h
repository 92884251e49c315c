#pragma once

#include <chrono>
#include <cstdint>
#include <deque>

#include "SerialDevice.h"
#include "TickSource.h"
#include "VirtualCamera.h"

// The host's serial device with a simulated camera at the far end of a paced line, in virtual
// time: every wait moves the clock to the camera's next byte or to the end of the wait, so a
// 12-second retry cycle costs microseconds. A camera that hangs up behaves like a pseudo-
// terminal whose other end closed: writes and reads fail with an I/O error until the port is
// opened again on a new camera.

namespace tavin::soak {

class SoakClock final : public TickSource {
  public:
    uint64_t NowMs() override { return static_cast<uint64_t>(now_.count() / 1'000'000); }
    sim::SimTime Now() const { return now_; }
    void AdvanceTo(sim::SimTime at) { now_ = std::max(now_, at); }

  private:
    sim::SimTime now_ = std::chrono::seconds(1);
};

class VirtualLineDevice final : public SerialDevice {
  public:
    VirtualLineDevice(SoakClock& clock, sim::VirtualCamera& camera)
        : clock_(clock), camera_(&camera) {}

    // The camera the next Open connects to (after a hang-up the old one is gone).
    void Connect(sim::VirtualCamera& camera) { next_ = &camera; }
    bool HungUp() const { return hungUp_; }
    // Runs the line until nothing is on its way any more; returns the time that took.
    sim::SimTime SettleLine();

    OpenResult Open(int32_t portNumber, const LineSettings& settings) override;
    void Close() override { open_ = false; }
    bool IsOpen() const override { return open_; }
    int32_t WriteSome(const uint8_t* bytes, int32_t count) override;
    int32_t PendingOutput() override { return 0; }
    int32_t ReadSome(uint8_t* bytes, int32_t count) override;
    bool WaitReadable(int32_t timeoutMs) override;
    bool WaitWritable(int32_t) override { return true; }
    bool WaitDrained(int32_t) override { return true; }
    bool Purge(bool output, bool input) override;
    uint32_t TakeLineErrors() override;

  private:
    void Pump();

    SoakClock& clock_;
    sim::VirtualCamera* camera_;
    sim::VirtualCamera* next_ = nullptr;
    std::deque<uint8_t> arrived_;
    bool open_ = false;
    bool hungUp_ = false;
    uint32_t errors_ = 0;
};

}  // namespace tavin::soak
