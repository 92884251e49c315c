#include "VirtualLineDevice.h"

#include <algorithm>

#include "CommStatus.h"

namespace tavin::soak {

SerialDevice::OpenResult VirtualLineDevice::Open(int32_t, const LineSettings&) {
    if (next_) {
        camera_ = next_;
        next_ = nullptr;
        hungUp_ = false;
        arrived_.clear();
    }
    open_ = !hungUp_;
    return open_ ? OpenResult::kOpened : OpenResult::kCannotOpen;
}

void VirtualLineDevice::Pump() {
    if (hungUp_) {
        return;
    }
    const sim::LineOutput out = camera_->Advance(clock_.Now());
    arrived_.insert(arrived_.end(), out.bytes.begin(), out.bytes.end());
    hungUp_ = out.closed;
}

int32_t VirtualLineDevice::WriteSome(const uint8_t* bytes, int32_t count) {
    Pump();
    if (hungUp_) {
        errors_ |= CommStatus::kCeIoe;
        return -1;
    }
    camera_->FromHost(std::span(bytes, static_cast<size_t>(count)), clock_.Now());
    return count;
}

int32_t VirtualLineDevice::ReadSome(uint8_t* bytes, int32_t count) {
    Pump();
    if (arrived_.empty() && hungUp_) {
        errors_ |= CommStatus::kCeIoe;
        return -1;
    }
    const auto n = std::min(static_cast<size_t>(std::max(count, 0)), arrived_.size());
    std::copy_n(arrived_.begin(), n, bytes);
    arrived_.erase(arrived_.begin(), arrived_.begin() + static_cast<std::ptrdiff_t>(n));
    return static_cast<int32_t>(n);
}

bool VirtualLineDevice::WaitReadable(int32_t timeoutMs) {
    const sim::SimTime deadline = clock_.Now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    for (;;) {
        Pump();
        if (!arrived_.empty()) {
            return true;
        }
        const auto next = hungUp_ ? std::nullopt : camera_->NextEventTime();
        if (!next || *next > deadline) {
            clock_.AdvanceTo(deadline);
            return false;
        }
        clock_.AdvanceTo(*next);
    }
}

bool VirtualLineDevice::Purge(bool, bool input) {
    if (input) {
        Pump();
        arrived_.clear();  // bytes still on the wire arrive later, as on a real line
    }
    return true;
}

uint32_t VirtualLineDevice::TakeLineErrors() {
    return std::exchange(errors_, 0);
}

sim::SimTime VirtualLineDevice::SettleLine() {
    const sim::SimTime start = clock_.Now();
    while (!hungUp_) {
        const auto next = camera_->NextEventTime();
        if (!next) {
            break;
        }
        clock_.AdvanceTo(*next);
        Pump();
    }
    arrived_.clear();
    return clock_.Now() - start;
}

}  // namespace tavin::soak
