#pragma once

#include <cstdint>
#include <string>

#include "SerialPort.h"

// The camera's serial protocol on top of the transport: ENQ/ACK handshake, STX/ETX framing with
// a one-byte checksum, a checked 10-byte reply for reads, each step retried a fixed number of
// times.

namespace tavin {

inline constexpr uint8_t kStx = 0x02;
inline constexpr uint8_t kEtx = 0x03;
inline constexpr uint8_t kEnq = 0x05;
inline constexpr uint8_t kAck = 0x06;
inline constexpr uint8_t kNak = 0x15;

class CameraProtocol : public SerialPort {
  public:
    static constexpr int kMaxTextLength = 22;
    static constexpr int kReplyLength = 10;
    static constexpr int kMaxAttempts = 4;
    static constexpr int32_t kEnqAckTimeoutMs = 1000;
    static constexpr int32_t kFrameAckTimeoutMs = 3000;
    static constexpr int32_t kReplyWaitMs = 4000;
    static constexpr int32_t kByteTimeoutMs = 1000;

    // 0 when the camera acknowledged the message; else -code.
    int32_t SendCommand(const char* text);
    // 6 with the six value characters and a terminator in `reply` (at least 7 chars); else -code.
    int32_t SendQuery(const char* text, char* reply);

    int32_t WriteCameraItem(int32_t header1, int32_t header2, int32_t command, int32_t item,
                            int32_t minValue, int32_t maxValue, int32_t value);
    int32_t ReadCameraItem(int32_t header1, int32_t header2, int32_t command, int32_t item,
                           int32_t minValue, int32_t maxValue, int32_t* value);

    // RS-232C open with 8 data bits, no parity, two stop bits.
    int32_t OpenPort(int32_t portNumber, int32_t baudRate);

    int32_t WaitAck(int32_t timeoutMs);
    int32_t CheckReply(const uint8_t* reply, int32_t length);

    // Pure helpers of the message format.
    static char* BuildCommand(char* out, int32_t header1, int32_t header2, int32_t command,
                              int32_t item, int32_t minValue, int32_t maxValue, int32_t value);
    static int32_t ReorderValue(int32_t command, int32_t minValue, int32_t maxValue, int32_t value);
    static int32_t Checksum(const uint8_t* bytes, int32_t length);
    static uint32_t HexValue(const char* chars, int32_t count);
    static bool IsHexDigit(char c);

  private:
    enum class StxWait { kGotStx, kEnded };
    // Waits for the STX of a reply, skipping noise, for at most kReplyWaitMs.
    StxWait WaitForReplyStart(uint8_t* stx);
    // Fails with the code the layer below recorded; never reads as success.
    int32_t FailWithRecordedStatus();
};

}  // namespace tavin
