#include "FakeSerialDevice.h"

#include <utility>

namespace tavin::testing {

SerialDevice::OpenResult FakeSerialDevice::Open(int32_t portNumber,
                                                const LineSettings& lineSettings) {
    ++openCount;
    openedPort = portNumber;
    settings = lineSettings;
    open_ = openResult != OpenResult::kCannotOpen;
    lost = false;
    return openResult;
}

void FakeSerialDevice::Close() {
    ++closeCount;
    open_ = false;
    stalled_ = 0;
}

int32_t FakeSerialDevice::WriteSome(const uint8_t* bytes, int32_t count) {
    if (lost) {
        lineErrors |= CommStatus::kCeIoe;
        return -1;
    }
    if (failingWrites > 0) {
        --failingWrites;
        lineErrors |= writeErrorFlags;
        return -1;
    }
    lost = std::exchange(loseOnWrite, false);
    if (outputStalled) {
        stalled_ += count;
        return count;
    }
    written.insert(written.end(), bytes, bytes + count);
    line_.HostSends(bytes, static_cast<size_t>(count));
    return count;
}

int32_t FakeSerialDevice::ReadSome(uint8_t* bytes, int32_t count) {
    const int32_t got = line_.TakeArrived(bytes, count);
    if (got == 0 && lost) {
        lineErrors |= CommStatus::kCeIoe;
        return -1;
    }
    return got;
}

bool FakeSerialDevice::WaitDrained(int32_t timeoutMs) {
    if (stalled_ == 0) {
        return true;
    }
    line_.Clock().Advance(static_cast<uint64_t>(std::max(timeoutMs, 0)));
    return false;
}

bool FakeSerialDevice::Purge(bool output, bool input) {
    purges.push_back({output, input});
    if (purgeRefused) {
        return false;
    }
    if (output) {
        stalled_ = 0;
    }
    if (input) {
        line_.DropArrived();
    }
    return true;
}

uint32_t FakeSerialDevice::TakeLineErrors() {
    const uint32_t flags = lineErrors | (lost ? uint32_t{CommStatus::kCeIoe} : 0u);
    lineErrors = 0;
    return flags;
}

}  // namespace tavin::testing
