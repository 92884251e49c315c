#include "FakeLine.h"

namespace tavin::testing {

void FakeLine::Schedule(const std::vector<FakeCameraPeer::Chunk>& chunks) {
    uint64_t at = clock_.NowMs();
    for (const FakeCameraPeer::Chunk& chunk : chunks) {
        at += chunk.delayMs;
        for (uint8_t byte : chunk.bytes) {
            arrivals_.Add(at, byte);
        }
    }
}

void FakeLine::HostSends(const uint8_t* bytes, size_t count) {
    Schedule(peer_.Receive(bytes, count));
}

void FakeLine::CameraSends(const std::vector<uint8_t>& bytes, uint32_t delayMs) {
    Schedule({FakeCameraPeer::Chunk{delayMs, bytes}});
}

}  // namespace tavin::testing
