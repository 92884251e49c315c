#include "ScriptedCameraDevice.h"

#include <algorithm>

namespace tavin::fuzz {

namespace {
constexpr uint64_t kDelayStepMs = 700;
}

int32_t ScriptedCameraDevice::WriteSome(const uint8_t*, int32_t count) {
    if (!script_.empty()) {
        const uint8_t header = script_[0];
        const size_t length = std::min<size_t>(header & 0x1F, script_.size() - 1);
        // A chunk never overtakes one released earlier: the line keeps byte order.
        uint64_t at = clock_.NowMs() + (header >> 5) * kDelayStepMs;
        if (!inFlight_.empty()) {
            at = std::max(at, inFlight_.back().at);
        }
        for (const uint8_t byte : script_.subspan(1, length)) {
            inFlight_.push_back({at, byte});
        }
        script_ = script_.subspan(1 + length);
    }
    return count;
}

int32_t ScriptedCameraDevice::ReadSome(uint8_t* bytes, int32_t count) {
    int32_t n = 0;
    while (n < count && !inFlight_.empty() && inFlight_.front().at <= clock_.NowMs()) {
        bytes[n++] = inFlight_.front().byte;
        inFlight_.pop_front();
    }
    return n;
}

bool ScriptedCameraDevice::WaitReadable(int32_t timeoutMs) {
    const uint64_t deadline = clock_.NowMs() + static_cast<uint64_t>(std::max(timeoutMs, 0));
    if (!inFlight_.empty() && inFlight_.front().at <= deadline) {
        clock_.AdvanceTo(inFlight_.front().at);
        return true;
    }
    clock_.AdvanceTo(deadline);
    return false;
}

bool ScriptedCameraDevice::Purge(bool, bool input) {
    if (input) {
        while (!inFlight_.empty() && inFlight_.front().at <= clock_.NowMs()) {
            inFlight_.pop_front();
        }
    }
    return true;
}

}  // namespace tavin::fuzz
