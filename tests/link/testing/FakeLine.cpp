#include "FakeLine.h"

#include <algorithm>

namespace tavin::testing {

void FakeLine::Schedule(const std::vector<FakeCameraPeer::Chunk>& chunks) {
    uint64_t at = clock_.NowMs();
    for (const FakeCameraPeer::Chunk& chunk : chunks) {
        at += chunk.delayMs;
        for (uint8_t byte : chunk.bytes) {
            const auto later = std::upper_bound(
                input_.begin(), input_.end(), at,
                [](uint64_t time, const Pending& pending) { return time < pending.at; });
            input_.insert(later, Pending{at, byte});
        }
    }
}

void FakeLine::HostSends(const uint8_t* bytes, size_t count) {
    Schedule(peer_.Receive(bytes, count));
}

void FakeLine::CameraSends(const std::vector<uint8_t>& bytes, uint32_t delayMs) {
    Schedule({FakeCameraPeer::Chunk{delayMs, bytes}});
}

int32_t FakeLine::TakeArrived(uint8_t* bytes, int32_t count) {
    int32_t taken = 0;
    while (taken < count && !input_.empty() && input_.front().at <= clock_.NowMs()) {
        bytes[taken++] = input_.front().byte;
        input_.pop_front();
    }
    return taken;
}

bool FakeLine::WaitArrival(int32_t timeoutMs) {
    const uint64_t limit = clock_.NowMs() + static_cast<uint64_t>(std::max(timeoutMs, 0));
    if (!input_.empty() && input_.front().at <= limit) {
        clock_.AdvanceTo(input_.front().at);
        return true;
    }
    clock_.AdvanceTo(limit);
    return false;
}

void FakeLine::DropArrived() {
    while (!input_.empty() && input_.front().at <= clock_.NowMs()) {
        input_.pop_front();
    }
}

size_t FakeLine::ArrivedCount() const {
    return static_cast<size_t>(std::count_if(
        input_.begin(), input_.end(), [this](const Pending& p) { return p.at <= clock_.NowMs(); }));
}

}  // namespace tavin::testing
