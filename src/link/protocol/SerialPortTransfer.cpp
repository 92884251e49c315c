// The port path's transfers: every wait sleeps in the OS until its deadline, in slices short
// enough to let the user interface repaint.
#include <algorithm>

#include "SerialPort.h"
#include "UserInterface.h"

namespace tavin {

namespace {
constexpr uint64_t kResponsiveIntervalMs = 50;

uint64_t Deadline(uint64_t start, int32_t count, int32_t timeoutPerByteMs) {
    return start +
           static_cast<uint64_t>(count) * static_cast<uint64_t>(std::max(timeoutPerByteMs, 0));
}

int32_t WaitSlice(uint64_t now, uint64_t deadline) {
    return static_cast<int32_t>(std::min(deadline - now, kResponsiveIntervalMs));
}
}  // namespace

void SerialPort::KeepResponsive(uint64_t& lastCallMs) {
    const uint64_t now = NowMs();
    if (now - lastCallMs >= kResponsiveIntervalMs) {
        TheUserInterface().KeepResponsive();
        lastCallMs = now;
    }
}

int32_t SerialPort::WritePort(const uint8_t* buffer, int32_t count, int32_t timeoutPerByteMs) {
    if (!device_->IsOpen()) {
        return SetStatus(kPortNotOpen);
    }
    const uint64_t start = NowMs();
    const uint64_t deadline = Deadline(start, count, timeoutPerByteMs);
    uint64_t lastResponsive = start;
    int32_t handed = 0;
    for (;;) {
        const int32_t taken =
            handed < count ? device_->WriteSome(buffer + handed, count - handed) : 0;
        // A line that is gone will not drain what it took either.
        if (taken < 0 || device_->IsLost()) {
            device_->Purge(true, false);
            const int32_t code = MapLineErrors(TakeLineErrors());
            SetStatus(code);
            Trace(TransferTrace::Direction::kWrite, TransferTrace::Path::kPort, count, buffer, 0,
                  code);
            return 0;
        }
        handed += taken;
        // Done only when the bytes have left the host, so that the purge that starts the next
        // exchange cannot discard them.
        if (handed == count && device_->WaitDrained(0)) {
            Trace(TransferTrace::Direction::kWrite, TransferTrace::Path::kPort, count, buffer,
                  count, 0);
            return count;
        }
        const uint64_t now = NowMs();
        if (now >= deadline) {
            break;
        }
        KeepResponsive(lastResponsive);
        if (handed < count) {
            device_->WaitWritable(WaitSlice(now, deadline));
        } else {
            device_->WaitDrained(WaitSlice(now, deadline));
        }
    }
    // The line did not take the block in time: report what left, and why the rest did not.
    // What is still queued goes, or the retry would queue behind a stale ENQ or half frame.
    const int32_t moved = std::max(handed - device_->PendingOutput(), 0);
    device_->Purge(true, false);
    SetStatus(kTimeOut);
    Trace(TransferTrace::Direction::kWrite, TransferTrace::Path::kPort, count, buffer, moved,
          kTimeOut);
    return moved;
}

int32_t SerialPort::ReadPort(uint8_t* buffer, int32_t count, int32_t timeoutPerByteMs) {
    if (!device_->IsOpen()) {
        return SetStatus(kPortNotOpen);
    }
    const uint64_t start = NowMs();
    const uint64_t deadline = Deadline(start, count, timeoutPerByteMs);
    uint64_t lastResponsive = start;
    int32_t received = 0;
    for (;;) {
        // A failed read is tried again until the deadline, like a read that found nothing,
        // unless the line is gone for good.
        const int32_t got = device_->ReadSome(buffer + received, count - received);
        if (got < 0 && device_->IsLost()) {
            break;
        }
        received += std::max(got, 0);
        if (received == count) {
            ForgetIoFailure();
            Trace(TransferTrace::Direction::kRead, TransferTrace::Path::kPort, count, buffer, count,
                  0);
            return count;
        }
        const uint64_t now = NowMs();
        if (now >= deadline) {
            break;
        }
        KeepResponsive(lastResponsive);
        device_->WaitReadable(WaitSlice(now, deadline));
    }
    // Partial data is dropped: the next exchange starts from a clean line.
    device_->Purge(false, true);
    const int32_t code = MapLineErrors(TakeLineErrors());
    SetStatus(code);
    Trace(TransferTrace::Direction::kRead, TransferTrace::Path::kPort, count, buffer, received,
          code);
    return -code;
}

}  // namespace tavin
