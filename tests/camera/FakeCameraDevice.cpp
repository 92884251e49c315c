#include "FakeCameraDevice.h"

#include <algorithm>

namespace tavin::testing {

SerialDevice::OpenResult FakeCameraDevice::Open(int32_t, const LineSettings&) {
    if (refuseOpen_) {
        return OpenResult::kCannotOpen;
    }
    open_ = true;
    return OpenResult::kOpened;
}

int32_t FakeCameraDevice::WriteSome(const uint8_t* bytes, int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
        const uint8_t byte = bytes[i];
        if (byte == sim::kEnq) {
            ++enqs_;
        }
        TrackFrame(byte);
        if (silentFromEnq_ > 0 && enqs_ >= silentFromEnq_) {
            continue;
        }
        for (uint8_t answer : camera_.OnByte(byte)) {
            toHost_.push_back(answer);
        }
    }
    return count;
}

void FakeCameraDevice::TrackFrame(uint8_t byte) {
    if (byte == sim::kStx) {
        inFrame_ = true;
        text_.clear();
    } else if (inFrame_ && byte == sim::kEtx) {
        inFrame_ = false;
        frames_.push_back(text_);
        log_.push_back("frame " + text_);
    } else if (inFrame_) {
        text_ += static_cast<char>(byte);
    }
}

int32_t FakeCameraDevice::ReadSome(uint8_t* bytes, int32_t count) {
    int32_t n = 0;
    for (; n < count && !toHost_.empty(); ++n) {
        bytes[n] = toHost_.front();
        toHost_.pop_front();
    }
    return n;
}

bool FakeCameraDevice::WaitReadable(int32_t timeoutMs) {
    if (!toHost_.empty()) {
        return true;
    }
    clock_.Advance(static_cast<uint64_t>(std::max(timeoutMs, 0)));
    return false;
}

bool FakeCameraDevice::Purge(bool, bool input) {
    if (input) {
        toHost_.clear();
    }
    return true;
}

}  // namespace tavin::testing
