#include "FakeSerialDevice.h"

namespace tavin::testing {

SerialDevice::OpenResult FakeSerialDevice::Open(int32_t portNumber,
                                                const LineSettings& lineSettings) {
    ++openCount;
    openedPort = portNumber;
    settings = lineSettings;
    open_ = openResult != OpenResult::kCannotOpen;
    return openResult;
}

void FakeSerialDevice::Close() {
    ++closeCount;
    open_ = false;
    stalled_ = 0;
}

int32_t FakeSerialDevice::WriteSome(const uint8_t* bytes, int32_t count) {
    if (failingWrites > 0) {
        --failingWrites;
        lineErrors |= writeErrorFlags;
        return -1;
    }
    if (outputStalled) {
        stalled_ += count;
        return count;
    }
    written.insert(written.end(), bytes, bytes + count);
    line_.HostSends(bytes, static_cast<size_t>(count));
    return count;
}

int32_t FakeSerialDevice::ReadSome(uint8_t* bytes, int32_t count) {
    return line_.TakeArrived(bytes, count);
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
    const uint32_t flags = lineErrors;
    lineErrors = 0;
    return flags;
}

}  // namespace tavin::testing
