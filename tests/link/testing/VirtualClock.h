#pragma once

#include <chrono>
#include <cstdint>

#include "TickSource.h"

// Virtual time for tests: it moves only when a fake device waits or a test says so. The
// transport reads whole milliseconds; a paced line needs finer steps (a byte at 19200 baud is
// 0.57 ms), so the clock keeps nanoseconds.

namespace tavin::testing {

class VirtualClock final : public TickSource {
  public:
    uint64_t NowMs() override {
        return static_cast<uint64_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(now_).count());
    }
    std::chrono::nanoseconds Now() const { return now_; }

    void Advance(uint64_t ms) { now_ += std::chrono::milliseconds(ms); }
    void AdvanceTo(uint64_t ms) { AdvanceTo(std::chrono::milliseconds(ms)); }
    void AdvanceTo(std::chrono::nanoseconds at) {
        if (at > now_) {
            now_ = at;
        }
    }

  private:
    // Not 0, so that a deadline computed from 0 shows up.
    std::chrono::nanoseconds now_ = std::chrono::milliseconds(1'000'000);
};

}  // namespace tavin::testing
