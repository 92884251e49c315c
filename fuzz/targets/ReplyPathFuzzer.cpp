// Feeds arbitrary camera bytes, at arbitrary times, to the host's reply path: SendQuery and
// ReadCameraItem over the real transport and protocol, against a scripted fake device in
// virtual time. Besides crashes and sanitizer reports it traps when
//  - a failure is reported as success or with no status recorded, or a success with a bad
//    result (a reply written beyond its six characters and terminator, a value beyond 24 bits);
//  - a failed read leaves a value behind;
//  - the exchange takes longer than its retries and time-outs allow, however the camera
//    behaves.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>

#include "CameraProtocol.h"
#include "ScriptedCameraDevice.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

// Item addressing of the kinds the camera's table uses: command, item, range (width).
struct Item {
    int32_t command, number, minValue, maxValue;
};
constexpr Item kItems[] = {
    {0x03, 0x06, 0, 1},        {0x03, 0x2E, 0, 1023},     {0x03, 0x10, 0, 0x1FFFF},
    {0x04, 0x3C, 0x1FF, 0xFF}, {0x04, 0x19, 0x80, 0x7FF},
};

// Every wait of one query at most: four requests, each a handshake and a message with all
// their retries, then four replies that each take their full reply time.
constexpr uint64_t kMaxQueryMs = 4 * (4 * 1000 + 4 * 3000 + 4 * (4000 + 9 * 1000));

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    using namespace tavin;
    if (size < 1) {
        return 0;
    }
    const uint8_t selector = data[0];
    testing::VirtualClock clock;
    CameraProtocol link;
    link.UseSerialDevice(
        std::make_unique<fuzz::ScriptedCameraDevice>(clock, std::span(data + 1, size - 1)));
    link.UseTickSource(clock);
    Check(link.OpenPort(1, 19200) == 0);

    const uint64_t start = clock.NowMs();
    int32_t result = 0;
    if (selector & 0x80) {
        char reply[28];
        std::memset(reply, 0x55, sizeof reply);
        result = link.SendQuery("01FF032E000000", reply);
        Check(result == 6 || result < 0);
        // The six characters between STX and ETX are handed over as the camera sent them, NUL
        // and all (the checksum covers them, not their kind), then a terminator; nothing more.
        if (result == 6) {
            Check(reply[6] == '\0' && reply[7] == 0x55);
        }
    } else {
        const Item& item = kItems[selector % std::size(kItems)];
        int32_t value = 0x5A5A5A5A;
        result = link.ReadCameraItem(1, 0xFF, item.command, item.number, item.minValue,
                                     item.maxValue, &value);
        Check(result == 0 || result < 0);
        if (result == 0) {
            Check(value >= 0 && value <= 0xFFFFFF);
        } else {
            Check(value == 0);
        }
    }
    if (result < 0) {
        Check(-result == link.GetStatus() && link.GetStatus() >= 2 &&
              link.GetStatus() < CommStatus::kCodeCount);
    }
    Check(clock.NowMs() - start <= kMaxQueryMs);
    return 0;
}
