// Feeds arbitrary host bytes, at arbitrary times, to the simulated camera behind its paced
// line. Besides crashes and sanitizer reports it traps when
//  - the line delivers a byte before its time, or reports a next event that is already due
//    after it ran (its server would spin on that);
//  - its byte counters disagree with what went over the line;
//  - a camera that hung up still sends;
//  - a healthy camera sends a reply that is not a well-formed, correctly summed 10-byte reply.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "VirtualCamera.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

bool IsHex(uint8_t c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

// Checks the replies in what a healthy camera sent: each STX starts ten bytes of a valid reply.
void CheckReplies(const std::vector<uint8_t>& out) {
    for (size_t i = 0; i < out.size(); ++i) {
        if (out[i] != tavin::sim::kStx) {
            Check(out[i] == tavin::sim::kAck || out[i] == tavin::sim::kNak);
            continue;
        }
        Check(i + 10 <= out.size());
        for (size_t k = 1; k <= 6; ++k) {
            Check(IsHex(out[i + k]));
        }
        Check(out[i + 7] == tavin::sim::kEtx && IsHex(out[i + 8]) && IsHex(out[i + 9]));
        const uint8_t sum = tavin::sim::FrameChecksum(&out[i], 8);
        static const char kDigits[] = "0123456789ABCDEF";
        Check(out[i + 8] == kDigits[sum >> 4] && out[i + 9] == kDigits[sum & 0xF]);
        i += 9;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    using namespace tavin::sim;
    using namespace std::chrono_literals;
    if (size < 2) {
        return 0;
    }
    // First byte: the fault and its count; second: pacing.
    const Fault fault{static_cast<FaultKind>(data[0] % 11), (data[0] >> 4) % 6};
    static constexpr int kBauds[] = {0, 9600, 19200, 115200};
    VirtualCamera camera;
    camera.SetFault(fault);
    camera.SetPacing({kBauds[data[1] % 4], std::chrono::microseconds(data[1] >> 2)});

    // The rest: chunks of host bytes, each a header (length, pause before it) and the bytes.
    std::span<const uint8_t> rest(data + 2, size - 2);
    SimTime now = 1s;
    std::vector<uint8_t> out;
    bool hungUp = false;
    uint64_t hostBytes = 0;
    const auto run = [&](SimTime until) {
        const LineOutput line = camera.Advance(until);
        Check(!hungUp || line.bytes.empty());
        out.insert(out.end(), line.bytes.begin(), line.bytes.end());
        hungUp = hungUp || line.closed;
        const auto next = camera.NextEventTime();
        Check(!next || *next > until);
    };
    while (!rest.empty()) {
        const uint8_t header = rest[0];
        const size_t length = std::min<size_t>(header & 0x1F, rest.size() - 1);
        now += std::chrono::milliseconds((header >> 5) * 3);
        run(now);
        camera.FromHost(rest.subspan(1, length), now);
        hostBytes += length;
        rest = rest.subspan(1 + length);
    }
    // Let the line run dry.
    for (int guard = 0; guard < 100000; ++guard) {
        const auto next = camera.NextEventTime();
        if (!next) {
            break;
        }
        Check(*next >= now);
        now = *next;
        run(now);
    }
    Check(!camera.NextEventTime());
    Check(camera.BytesFromHost() == hostBytes);
    Check(camera.BytesToHost() == out.size());
    if (fault.kind == FaultKind::None) {
        CheckReplies(out);
    }
    return 0;
}
