#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "ControlCommands.h"
#include "VirtualCamera.h"

// Serves a simulated camera on a pseudo-terminal from a thread of the calling process. The host
// opens DevicePath() like any serial port. Starting takes a fraction of a millisecond, so tests
// can give every case a fresh camera.

namespace tavin::sim {

struct ServerOptions {
    CameraSettings settings{};
    Fault fault{};
    // When paced, a host that sets its line to another speed is not heard, as on a real line.
    LinePacing pacing{};
    // Receives one decoded line per protocol event, and "line 19200 8N2" when a host changes the
    // line settings, on the server thread.
    std::function<void(const std::string&)> monitor{};
};

class PtyCameraServer final : public ControlledCamera {
  public:
    // Opens the pseudo-terminal and starts serving; throws std::system_error on failure.
    explicit PtyCameraServer(ServerOptions options = {});
    ~PtyCameraServer() override;
    PtyCameraServer(const PtyCameraServer&) = delete;
    PtyCameraServer& operator=(const PtyCameraServer&) = delete;

    const std::string& DevicePath() const { return devicePath_; }

    // Safe to call from any thread while the server runs.
    void SetFault(const Fault& fault) override;
    Fault CurrentFault() const override;
    void SetPacing(const LinePacing& pacing);
    // Takes the values of a data file, as --state does at start.
    void Load(std::span<const int32_t, kFactoryItemCount> values) override;
    // Closes the line now, as a pulled cable does; the host's next read sees the hang-up.
    void HangUp() override;
    bool LineOpen() override { return !WaitForHangUp(std::chrono::milliseconds(0)); }

    uint64_t BytesFromHost() const override;
    uint64_t BytesToHost() const override;
    // A value the camera holds now (camera form).
    int32_t Value(CommandGroup group, uint8_t itemNumber) const;

    // Whether the camera has hung up; waits up to `timeout` for it.
    bool WaitForHangUp(std::chrono::milliseconds timeout);

    // Stops serving and closes the line. Idempotent; the destructor calls it.
    void Stop();

  private:
    void Serve();
    void Wake();
    void CloseLine();
    // Tells the monitor the pseudo-terminal's line settings when a host changed them; false when
    // the host's speed is not the one the camera is paced at.
    bool HostLineMatches();

    mutable std::mutex mutex_;
    std::condition_variable activity_;  // after every step of the server thread
    VirtualCamera camera_;
    std::function<void(const std::string&)> monitor_;
    std::chrono::steady_clock::time_point started_;
    std::string devicePath_;
    int master_ = -1;
    int slave_ = -1;  // held open so the master never sees a hang-up between host sessions
    int wakeFd_ = -1;
    bool stopping_ = false;
    bool lineClosed_ = false;
    std::string lineSettings_;  // as last reported
    long initialBaud_ = 0;      // the pseudo-terminal's own speed, before any host set one
    std::thread thread_;
};

}  // namespace tavin::sim
