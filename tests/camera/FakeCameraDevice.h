#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "ProtocolEngine.h"
#include "SerialDevice.h"
#include "VirtualClock.h"

// A serial device with the simulated camera at the far end, in virtual time: the camera
// answers at once, and every wait for a byte that is not coming moves the clock by the whole
// wait instead of sleeping.

namespace tavin::testing {

class FakeCameraDevice : public SerialDevice {
  public:
    // `log` receives "frame <text>" for every complete message frame the host wrote.
    FakeCameraDevice(VirtualClock& clock, std::vector<std::string>& log)
        : clock_(clock), log_(log) {}

    sim::ProtocolEngine& Camera() { return camera_; }

    // From the `enqCount`-th ENQ on (counting from 1) the camera is gone: it hears nothing and
    // answers nothing.
    void GoSilentFromEnq(int enqCount) { silentFromEnq_ = enqCount; }
    void RefuseOpen() { refuseOpen_ = true; }

    // The texts of the frames the host wrote, in order.
    const std::vector<std::string>& Frames() const { return frames_; }

    OpenResult Open(int32_t, const LineSettings&) override;
    void Close() override { open_ = false; }
    bool IsOpen() const override { return open_; }
    int32_t WriteSome(const uint8_t* bytes, int32_t count) override;
    int32_t PendingOutput() override { return 0; }
    int32_t ReadSome(uint8_t* bytes, int32_t count) override;
    bool WaitReadable(int32_t timeoutMs) override;
    bool WaitWritable(int32_t) override { return true; }
    bool WaitDrained(int32_t) override { return true; }
    bool Purge(bool output, bool input) override;
    uint32_t TakeLineErrors() override { return 0; }

  private:
    void TrackFrame(uint8_t byte);

    VirtualClock& clock_;
    std::vector<std::string>& log_;
    sim::ProtocolEngine camera_;
    std::deque<uint8_t> toHost_;
    std::vector<std::string> frames_;
    std::string text_;
    bool inFrame_ = false;
    bool open_ = false;
    bool refuseOpen_ = false;
    int enqs_ = 0;
    int silentFromEnq_ = 0;
};

}  // namespace tavin::testing
