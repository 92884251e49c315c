#pragma once

#include <cstdint>
#include <string>

// The one status record of the camera link. A failing operation records a code here and returns
// its negation; callers test only the sign and ask for the message when they tell the user.

namespace tavin {

class CommStatus {
  public:
    // Status codes. Their messages live in the string table (string_id::StatusText).
    enum Code : int32_t {
        kOk = 0,
        kKeepStatus = 1,  // "fail with what the layer below recorded"; never stored
        kBadPortNumber = 2,
        kPortNotOpen = 3,
        kCannotOpenPort = 4,
        kTimeOut = 5,
        kBadByteCount = 6,
        kMissingOverlap = 7,
        kPurgeFailed = 8,
        kBreak = 9,
        kFraming = 10,
        kIoError = 11,
        kMode = 12,
        kOverrun = 13,
        kRxOver = 14,
        kRxParity = 15,
        kTxFull = 16,
        kDns = 17,
        kPto = 18,
        kOop = 19,
        kUnexpectedChar = 20,
        kBadReplySize = 21,
        kNoStx = 22,
        kNoEtx = 23,
        kBadCharType = 24,
        kChecksumMismatch = 25,
        kMessageTooLong = 26,
        kReplyTooLong = 27,
    };
    static constexpr int32_t kCodeCount = 28;

    // Line-error flags as the serial driver reports them after a failed transfer.
    enum LineError : uint32_t {
        kCeRxOver = 0x0001,
        kCeOverrun = 0x0002,
        kCeRxParity = 0x0004,
        kCeFrame = 0x0008,
        kCeBreak = 0x0010,
        kCeTxFull = 0x0100,
        kCePto = 0x0200,
        kCeIoe = 0x0400,
        kCeDns = 0x0800,
        kCeOop = 0x1000,
        kCeMode = 0x8000,
    };

    CommStatus() = default;
    virtual ~CommStatus() = default;

    // Stores `code` unless it is kKeepStatus; returns minus the stored code.
    int32_t SetStatus(int32_t code);
    int32_t GetStatus() const { return status_; }

    // "ERROR - " and the message of the stored code (code 1's message outside 0..27).
    std::string GetStatusText() const;

    // The string id of a code's message.
    static unsigned StatusStringId(int32_t code);

    // Maps a driver error-flag word to a status code: the first set flag in a fixed order
    // decides; no known flag gives kTimeOut.
    static int32_t MapLineErrors(uint32_t flags);

  private:
    int32_t status_ = kOk;
};

}  // namespace tavin
