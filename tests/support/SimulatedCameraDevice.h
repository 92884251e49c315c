#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "SerialDevice.h"
#include "VirtualCamera.h"
#include "VirtualClock.h"

// The host's serial device with the simulated camera at the far end of the line, in virtual
// time: every wait moves the clock to the camera's next byte or to the end of the wait, so a
// 12-second retry cycle costs microseconds. The line is as fast or as slow as the camera's
// pacing; unpaced, the camera answers at once.
//
// A camera that hangs up behaves like a pseudo-terminal whose other end closed: writes and reads
// fail with an I/O error until the port is opened again on a new camera.

namespace tavin::testing {

class SimulatedCameraDevice : public SerialDevice {
  public:
    // On a camera of its own, unpaced.
    explicit SimulatedCameraDevice(VirtualClock& clock);
    // The same, and `log` receives "frame <text>" for every complete message frame the host
    // wrote.
    SimulatedCameraDevice(VirtualClock& clock, std::vector<std::string>& log);
    // On the test's camera, paced as the test set it up.
    SimulatedCameraDevice(VirtualClock& clock, sim::VirtualCamera& camera);

    SimulatedCameraDevice(const SimulatedCameraDevice&) = delete;
    SimulatedCameraDevice& operator=(const SimulatedCameraDevice&) = delete;

    sim::VirtualCamera& Camera() { return *camera_; }
    sim::ProtocolEngine& Engine() { return camera_->Engine(); }

    // From the `enqCount`-th ENQ on (counting from 1) the camera is gone: it hears nothing and
    // answers nothing. 0 brings it back.
    void GoSilentFromEnq(int enqCount) { silentFromEnq_ = enqCount; }
    // The camera answers `answered` more ENQs from now on, then falls silent.
    void GoSilentAfter(int answered) { silentFromEnq_ = enqs_ + answered + 1; }
    void RefuseOpen() { refuseOpen_ = true; }

    // What the camera holds for the host's data-set item `index`, in camera form; and setting
    // it, as if the camera had been adjusted by hand.
    int32_t CameraValueOf(int index);
    void SetCameraValueOf(int index, int32_t cameraValue);

    // The texts of the frames the host wrote, in order.
    const std::vector<std::string>& Frames() const { return frames_; }

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
    void TrackFrame(uint8_t byte);

    VirtualClock& clock_;
    std::vector<std::string>* log_ = nullptr;
    std::optional<sim::VirtualCamera> own_;
    sim::VirtualCamera* camera_;
    sim::VirtualCamera* next_ = nullptr;
    std::deque<uint8_t> arrived_;
    std::vector<std::string> frames_;
    std::string text_;
    bool inFrame_ = false;
    bool open_ = false;
    bool refuseOpen_ = false;
    bool hungUp_ = false;
    uint32_t errors_ = 0;
    int enqs_ = 0;
    int silentFromEnq_ = 0;
};

}  // namespace tavin::testing
