#include "FaultPlan.h"

#include <array>

#include "CommStatus.h"

namespace tavin::soak {

namespace {

// Protocol retry limit and time-outs.
constexpr int kAttempts = 4;
constexpr int64_t kEnqAckMs = 1000;
constexpr int64_t kFrameAckMs = 3000;
constexpr int64_t kReplyRestMs = 9 * 1000;  // nine bytes at 1000 ms each

Expectation Succeeds() {
    return {true, false, {}, 0};
}

Expectation Fails(int32_t code, int64_t waitMs) {
    return {false, true, {code}, waitMs};
}

// A fault that hits the first `count` tries of a step retried kAttempts times (0 = every try).
Expectation Retried(int count, int32_t code, int64_t msPerTry) {
    if (count > 0 && count < kAttempts) {
        return {true, false, {}, count * msPerTry};
    }
    return Fails(code, kAttempts * msPerTry);
}

}  // namespace

Expectation Expect(const sim::Fault& fault, Operation operation) {
    const bool read = operation == Operation::kRead;
    using Kind = sim::FaultKind;
    switch (fault.kind) {
        case Kind::None:
        case Kind::NoiseBeforeReply:
        case Kind::LowerCaseChecksum:
        case Kind::ForgetWrites:  // every exchange goes through; only the stored value is off
            return Succeeds();
        case Kind::Silent:
            return Fails(CommStatus::kTimeOut, kAttempts * kEnqAckMs);
        case Kind::EnqNak:
        case Kind::EnqWrongByte:
            return Fails(CommStatus::kUnexpectedChar, 0);
        case Kind::IgnoreFrame:
            return Retried(fault.count, CommStatus::kTimeOut, kFrameAckMs);
        case Kind::BadReplyChecksum:
            if (!read || fault.count < kAttempts) {
                return Succeeds();
            }
            // Every request draws four bad replies; the camera's answer to the last NAK may still
            // be on the wire when the next ENQ goes out and be taken for its answer.
            return {false, true, {CommStatus::kChecksumMismatch, CommStatus::kUnexpectedChar}, 0};
        case Kind::NonHexValue:
            return read ? Fails(CommStatus::kBadCharType, 0) : Succeeds();
        case Kind::CutReply:
            return read ? Retried(fault.count, CommStatus::kTimeOut, kReplyRestMs) : Succeeds();
        case Kind::HangUp:
            // The frame's ACK never comes; every later write finds the line gone.
            return Fails(CommStatus::kIoError, kFrameAckMs);
    }
    return {};
}

sim::Fault DrawFault(std::mt19937& random, bool allowHangUp) {
    static constexpr std::array kKinds = {
        sim::FaultKind::Silent,
        sim::FaultKind::EnqNak,
        sim::FaultKind::EnqWrongByte,
        sim::FaultKind::IgnoreFrame,
        sim::FaultKind::NoiseBeforeReply,
        sim::FaultKind::BadReplyChecksum,
        sim::FaultKind::LowerCaseChecksum,
        sim::FaultKind::NonHexValue,
        sim::FaultKind::CutReply,
        sim::FaultKind::HangUp,
    };
    if (std::uniform_int_distribution(0, 2)(random) != 0) {
        return {};
    }
    const size_t kinds = allowHangUp ? kKinds.size() : kKinds.size() - 1;
    const sim::FaultKind kind = kKinds[std::uniform_int_distribution<size_t>(0, kinds - 1)(random)];
    int count = 0;
    if (kind == sim::FaultKind::IgnoreFrame || kind == sim::FaultKind::CutReply) {
        count = std::uniform_int_distribution(0, 5)(random);  // 0: every time
    } else if (kind == sim::FaultKind::BadReplyChecksum) {
        count = std::uniform_int_distribution(1, 5)(random);
    }
    return {kind, count};
}

std::string Describe(const sim::Fault& fault, Operation operation) {
    return std::string(operation == Operation::kRead ? "read" : "write") + " with fault " +
           sim::ToString(fault);
}

}  // namespace tavin::soak
