#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>

#include "FakeCameraPeer.h"

// A FakeCameraPeer served on a pseudo-terminal by its own thread, for tests of the real serial
// code in real time. The host opens SlavePath(); answers are written to the master side after
// their delays.

namespace tavin::testing {

class PtyCameraPeer {
  public:
    PtyCameraPeer();  // throws std::runtime_error when no pseudo-terminal is available
    ~PtyCameraPeer();
    PtyCameraPeer(const PtyCameraPeer&) = delete;
    PtyCameraPeer& operator=(const PtyCameraPeer&) = delete;

    const std::string& SlavePath() const { return slavePath_; }

    // Starts answering. A peer never started is a camera that is switched off.
    void Start();

    // Runs `f` on the peer while the serving thread keeps away from it.
    template <typename F>
    auto WithPeer(F f) {
        std::lock_guard lock(mutex_);
        return f(peer_);
    }

  private:
    void Serve();

    int master_ = -1;
    int slave_ = -1;  // kept open so the master never sees a hang-up between host opens
    std::string slavePath_;
    std::mutex mutex_;
    FakeCameraPeer peer_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace tavin::testing
