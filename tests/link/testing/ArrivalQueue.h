#pragma once

#include <algorithm>
#include <cstdint>
#include <deque>

#include "VirtualClock.h"

// Bytes on their way to the host in virtual time: each arrives at its own time, and the host
// takes what has arrived by now. The fake line and the reply-path fuzzer's device both use it.

namespace tavin::testing {

class ArrivalQueue {
  public:
    explicit ArrivalQueue(VirtualClock& clock) : clock_(clock) {}

    // `byte` arrives at `atMs`, behind every byte due by then.
    void Add(uint64_t atMs, uint8_t byte) {
        const auto later = std::upper_bound(
            queue_.begin(), queue_.end(), atMs,
            [](uint64_t time, const Pending& pending) { return time < pending.at; });
        queue_.insert(later, Pending{atMs, byte});
    }
    // When the last byte on its way arrives (now when none is).
    uint64_t LastArrival() const { return queue_.empty() ? clock_.NowMs() : queue_.back().at; }

    // Takes up to `count` bytes that have arrived by now.
    int32_t Take(uint8_t* bytes, int32_t count) {
        int32_t taken = 0;
        while (taken < count && !queue_.empty() && queue_.front().at <= clock_.NowMs()) {
            bytes[taken++] = queue_.front().byte;
            queue_.pop_front();
        }
        return taken;
    }
    // Advances the clock to the next arrival within `timeoutMs`; false (clock moved by the
    // whole time-out) when none comes.
    bool WaitArrival(int32_t timeoutMs) {
        const uint64_t limit = clock_.NowMs() + static_cast<uint64_t>(std::max(timeoutMs, 0));
        if (!queue_.empty() && queue_.front().at <= limit) {
            clock_.AdvanceTo(queue_.front().at);
            return true;
        }
        clock_.AdvanceTo(limit);
        return false;
    }
    // Drops what has arrived; bytes still on their way arrive later.
    void DropArrived() {
        while (!queue_.empty() && queue_.front().at <= clock_.NowMs()) {
            queue_.pop_front();
        }
    }
    size_t ArrivedCount() const {
        return static_cast<size_t>(std::count_if(
            queue_.begin(), queue_.end(), [this](auto& p) { return p.at <= clock_.NowMs(); }));
    }

  private:
    struct Pending {
        uint64_t at;
        uint8_t byte;
    };

    VirtualClock& clock_;
    std::deque<Pending> queue_;  // in order of arrival
};

}  // namespace tavin::testing
