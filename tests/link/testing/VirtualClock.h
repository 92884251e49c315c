#pragma once

#include <cstdint>

#include "TickSource.h"

// Virtual milliseconds for tests: time moves only when a fake device waits or a test says so.

namespace tavin::testing {

class VirtualClock final : public TickSource {
  public:
    uint64_t NowMs() override { return now_; }
    void Advance(uint64_t ms) { now_ += ms; }
    void AdvanceTo(uint64_t ms) {
        if (ms > now_) {
            now_ = ms;
        }
    }

  private:
    uint64_t now_ = 1'000'000;  // not 0, so that a deadline computed from 0 shows up
};

}  // namespace tavin::testing
