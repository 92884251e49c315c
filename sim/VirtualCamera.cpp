#include "VirtualCamera.h"

#include <algorithm>

namespace tavin::sim {

namespace {
constexpr int64_t kBitsPerByte = 11;  // start bit, 8 data bits, 2 stop bits
}

SimTime ByteTime(int baud) {
    if (baud <= 0) {
        return SimTime::zero();
    }
    return SimTime(std::chrono::duration_cast<SimTime>(std::chrono::seconds(kBitsPerByte)).count() /
                   baud);
}

VirtualCamera::VirtualCamera(CameraSettings settings) : engine_(std::move(settings)) {}

void VirtualCamera::SetObserver(Observer observer) {
    observer_ = std::move(observer);
    if (!observer_) {
        engine_.SetObserver(nullptr);
        return;
    }
    engine_.SetObserver([this](const MonitorEvent& event) { observer_(eventTime_, event); });
}

void VirtualCamera::FromHost(std::span<const uint8_t> bytes, SimTime now) {
    const SimTime byteTime = ByteTime(pacing_.baud);
    for (const uint8_t byte : bytes) {
        const SimTime at =
            byteTime == SimTime::zero() ? now : std::max(now, lastInbound_) + byteTime;
        lastInbound_ = at;
        inbound_.push_back({byte, at});
    }
    bytesFromHost_ += bytes.size();
}

LineOutput VirtualCamera::Advance(SimTime now) {
    const SimTime byteTime = ByteTime(pacing_.baud);
    while (!inbound_.empty() && inbound_.front().at <= now) {
        const TimedByte in = inbound_.front();
        inbound_.pop_front();
        eventTime_ = in.at;
        const SimTime ready = in.at + pacing_.turnaround;
        for (const uint8_t byte : engine_.OnByte(in.byte)) {
            const SimTime at =
                byteTime == SimTime::zero() ? ready : std::max(ready, lastOutbound_) + byteTime;
            lastOutbound_ = at;
            outbound_.push_back({byte, at});
        }
    }
    LineOutput out;
    while (!outbound_.empty() && outbound_.front().at <= now) {
        out.bytes.push_back(outbound_.front().byte);
        outbound_.pop_front();
    }
    bytesToHost_ += out.bytes.size();
    out.closed = engine_.HungUp() && outbound_.empty();
    return out;
}

void VirtualCamera::HangUp(SimTime now) {
    eventTime_ = now;
    engine_.HangUp("on request");
}

std::optional<SimTime> VirtualCamera::NextEventTime() const {
    std::optional<SimTime> next;
    if (!inbound_.empty()) {
        next = inbound_.front().at;
    }
    if (!outbound_.empty()) {
        next = next ? std::min(*next, outbound_.front().at) : outbound_.front().at;
    }
    return next;
}

}  // namespace tavin::sim
