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
        const uint64_t at =
            std::max(clock_.NowMs() + (header >> 5) * kDelayStepMs, inFlight_.LastArrival());
        for (const uint8_t byte : script_.subspan(1, length)) {
            inFlight_.Add(at, byte);
        }
        script_ = script_.subspan(1 + length);
    }
    return count;
}

}  // namespace tavin::fuzz
