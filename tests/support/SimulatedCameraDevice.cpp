#include "SimulatedCameraDevice.h"

#include <algorithm>
#include <chrono>
#include <span>
#include <utility>

#include "CameraItemTable.h"
#include "CommStatus.h"
#include "FactoryTable.h"

namespace tavin::testing {

SimulatedCameraDevice::SimulatedCameraDevice(VirtualClock& clock)
    : clock_(clock), own_(std::in_place), camera_(&*own_) {}

SimulatedCameraDevice::SimulatedCameraDevice(VirtualClock& clock, std::vector<std::string>& log)
    : SimulatedCameraDevice(clock) {
    log_ = &log;
}

SimulatedCameraDevice::SimulatedCameraDevice(VirtualClock& clock, sim::VirtualCamera& camera)
    : clock_(clock), camera_(&camera) {}

namespace {
sim::CommandGroup GroupOf(int index) {
    return sim::GroupOfCommand(GetItemDef(index).writeCommand);
}
}  // namespace

int32_t SimulatedCameraDevice::CameraValueOf(int index) {
    return Engine().Settings().Get(GroupOf(index), GetItemDef(index).itemNumber);
}

void SimulatedCameraDevice::SetCameraValueOf(int index, int32_t cameraValue) {
    Engine().Settings().Set(GroupOf(index), GetItemDef(index).itemNumber, cameraValue);
}

SerialDevice::OpenResult SimulatedCameraDevice::Open(int32_t, const LineSettings&) {
    if (next_) {
        camera_ = next_;
        next_ = nullptr;
        hungUp_ = false;
        arrived_.clear();
    }
    open_ = !hungUp_ && !refuseOpen_;
    return open_ ? OpenResult::kOpened : OpenResult::kCannotOpen;
}

void SimulatedCameraDevice::Pump() {
    if (hungUp_) {
        return;
    }
    const sim::LineOutput out = camera_->Advance(clock_.Now());
    arrived_.insert(arrived_.end(), out.bytes.begin(), out.bytes.end());
    hungUp_ = out.closed;
}

int32_t SimulatedCameraDevice::WriteSome(const uint8_t* bytes, int32_t count) {
    Pump();
    if (hungUp_) {
        errors_ |= CommStatus::kCeIoe;
        return -1;
    }
    std::vector<uint8_t> heard;
    for (int32_t i = 0; i < count; ++i) {
        const uint8_t byte = bytes[i];
        if (byte == sim::kEnq) {
            ++enqs_;
        }
        TrackFrame(byte);
        if (silentFromEnq_ == 0 || enqs_ < silentFromEnq_) {
            heard.push_back(byte);
        }
    }
    camera_->FromHost(heard, clock_.Now());
    // An unpaced camera has answered by now: its observers see the write as it happens.
    Pump();
    return count;
}

void SimulatedCameraDevice::TrackFrame(uint8_t byte) {
    if (byte == sim::kStx) {
        inFrame_ = true;
        text_.clear();
    } else if (inFrame_ && byte == sim::kEtx) {
        inFrame_ = false;
        frames_.push_back(text_);
        if (log_) {
            log_->push_back("frame " + text_);
        }
    } else if (inFrame_) {
        text_ += static_cast<char>(byte);
    }
}

int32_t SimulatedCameraDevice::ReadSome(uint8_t* bytes, int32_t count) {
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

bool SimulatedCameraDevice::WaitReadable(int32_t timeoutMs) {
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

bool SimulatedCameraDevice::Purge(bool, bool input) {
    if (input) {
        Pump();
        arrived_.clear();  // bytes still on the wire arrive later, as on a real line
    }
    return true;
}

uint32_t SimulatedCameraDevice::TakeLineErrors() {
    return std::exchange(errors_, 0);
}

sim::SimTime SimulatedCameraDevice::SettleLine() {
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

}  // namespace tavin::testing
