#include "CameraProtocol.h"

#include <cstdio>
#include <cstring>

namespace tavin {

namespace {
constexpr uint32_t kPurgeBoth = SerialPort::kPurgeTxClear | SerialPort::kPurgeRxClear;

bool IsLineErrorCode(int32_t code) {
    return code >= CommStatus::kBreak && code <= CommStatus::kOop;
}
}  // namespace

int32_t CameraProtocol::OpenPort(int32_t portNumber, int32_t baudRate) {
    return Open(portNumber, baudRate, 8, kTwoStopBits, 0);
}

int32_t CameraProtocol::FailWithRecordedStatus() {
    const int32_t result = SetStatus(kKeepStatus);
    // A library transfer that fails records nothing; with no earlier failure on record that
    // would read as success.
    return result < 0 ? result : SetStatus(kTimeOut);
}

int32_t CameraProtocol::SendCommand(const char* text) {
    const size_t length = text ? strnlen(text, kMaxTextLength + 1) : kMaxTextLength + 1;
    if (length > static_cast<size_t>(kMaxTextLength)) {
        return SetStatus(kMessageTooLong);
    }
    Purge(kPurgeBoth);

    uint8_t frame[kMaxTextLength + 5];
    frame[0] = kStx;
    std::memcpy(frame + 1, text, length);
    frame[1 + length] = kEtx;
    const auto frameLength = static_cast<int32_t>(length + 4);
    std::snprintf(reinterpret_cast<char*>(frame + 2 + length), 3, "%02X",
                  static_cast<unsigned>(Checksum(frame, frameLength - 2)));

    bool announced = false;
    for (int attempt = 0; attempt < kMaxAttempts && !announced; ++attempt) {
        announced = Write(&kEnq, 1, kByteTimeoutMs) == 1 && WaitAck(kEnqAckTimeoutMs) == 0;
    }
    if (!announced) {
        return FailWithRecordedStatus();
    }
    // A repeated message goes without a new ENQ: the camera already accepted the announcement.
    for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
        if (Write(frame, frameLength, kByteTimeoutMs) == frameLength &&
            WaitAck(kFrameAckTimeoutMs) == 0) {
            return 0;
        }
    }
    return FailWithRecordedStatus();
}

int32_t CameraProtocol::WaitAck(int32_t timeoutMs) {
    uint8_t byte = 0;
    if (Read(&byte, 1, timeoutMs) != 1) {
        return FailWithRecordedStatus();
    }
    return byte == kAck ? 0 : SetStatus(kUnexpectedChar);
}

CameraProtocol::StxWait CameraProtocol::WaitForReplyStart(uint8_t* stx) {
    // Noise is skipped, but only within the reply's time: a line that never stops delivering
    // garbage must not keep the program waiting for ever.
    const uint64_t deadline = NowMs() + kReplyWaitMs;
    for (;;) {
        const uint64_t now = NowMs();
        if (now >= deadline) {
            SetStatus(kTimeOut);
            return StxWait::kEnded;
        }
        const int32_t result = Read(stx, 1, static_cast<int32_t>(deadline - now));
        if (result == 1) {
            if (*stx == kStx) {
                return StxWait::kGotStx;
            }
            continue;
        }
        // A line error may pass; a time-out, a closed port or a short library read ends it.
        if (result < 0 && IsLineErrorCode(-result)) {
            continue;
        }
        return StxWait::kEnded;
    }
}

int32_t CameraProtocol::SendQuery(const char* text, char* reply) {
    for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
        const int32_t sent = SendCommand(text);
        if (sent < 0) {
            return sent;
        }
        for (int badReplies = 0; badReplies < kMaxAttempts; ++badReplies) {
            uint8_t received[28] = {};
            if (WaitForReplyStart(received) != StxWait::kGotStx) {
                break;
            }
            if (Read(received + 1, kReplyLength - 1, kByteTimeoutMs) < kReplyLength - 1) {
                break;
            }
            if (CheckReply(received, kReplyLength) != 0) {
                Write(&kNak, 1, kByteTimeoutMs);
                continue;  // the camera sends the reply again; the request is not repeated
            }
            if (Write(&kAck, 1, kByteTimeoutMs) >= 0) {
                if (reply) {
                    std::memcpy(reply, received + 1, 6);
                    reply[6] = '\0';
                }
                return 6;
            }
        }
    }
    return FailWithRecordedStatus();
}

int32_t CameraProtocol::CheckReply(const uint8_t* reply, int32_t length) {
    if (!reply || length != kReplyLength) {
        return SetStatus(kBadReplySize);
    }
    if (reply[0] != kStx) {
        return SetStatus(kNoStx);
    }
    if (reply[7] != kEtx) {
        return SetStatus(kNoEtx);
    }
    const char* checksum = reinterpret_cast<const char*>(reply + 8);
    if (!IsHexDigit(checksum[0]) || !IsHexDigit(checksum[1])) {
        return SetStatus(kBadCharType);
    }
    if (static_cast<uint32_t>(Checksum(reply, 8)) != (HexValue(checksum, 2) & 0xFF)) {
        return SetStatus(kChecksumMismatch);
    }
    return 0;
}

int32_t CameraProtocol::WriteCameraItem(int32_t header1, int32_t header2, int32_t command,
                                        int32_t item, int32_t minValue, int32_t maxValue,
                                        int32_t value) {
    char text[16];
    BuildCommand(text, header1, header2, command, item, minValue, maxValue, value);
    return SendCommand(text);
}

int32_t CameraProtocol::ReadCameraItem(int32_t header1, int32_t header2, int32_t command,
                                       int32_t item, int32_t minValue, int32_t maxValue,
                                       int32_t* value) {
    int32_t ignored = 0;
    int32_t& result = value ? *value : ignored;
    result = 0;
    char text[16];
    BuildCommand(text, header1, header2, command, item, minValue, maxValue, 0);
    char reply[28] = {};
    const int32_t received = SendQuery(text, reply);
    if (received < 0) {
        return received;
    }
    if (received != 6) {
        return SetStatus(kBadReplySize);
    }
    for (int i = 0; i < 6; ++i) {
        if (!IsHexDigit(reply[i])) {
            return SetStatus(kBadCharType);
        }
    }
    const uint32_t wire =
        HexValue(reply, 2) + 256 * HexValue(reply + 2, 2) + 65536 * HexValue(reply + 4, 2);
    result = ReorderValue(command, minValue, maxValue, static_cast<int32_t>(wire));
    return 0;
}

}  // namespace tavin
