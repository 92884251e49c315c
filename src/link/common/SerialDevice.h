#pragma once

#include <cstdint>
#include <memory>

// The narrow set of serial-port operations the transport needs from a device: a local port
// (one implementation per OS, in serial/) or a port across the network (network/). The protocol
// sees only this interface. Nothing here waits longer than it is told to, so the transport
// keeps every deadline.

namespace tavin {

struct LineSettings {
    int32_t baudRate = 0;
    uint8_t byteSize = 8;  // 5 to 8 data bits
    uint8_t stopBits = 0;  // driver code: 0 one, 1 one and a half, 2 two
    uint8_t parity = 0;    // driver code: 0 none, 1 odd, 2 even, 3 mark, 4 space
};

class SerialDevice {
  public:
    enum class OpenResult {
        kOpened,
        kCannotOpen,       // no such device, or it is busy
        kSettingsRefused,  // open, but the line settings were not accepted; stays open
    };

    virtual ~SerialDevice() = default;

    // Opens COM port `portNumber` exclusively and raw with `settings`, DTR and RTS asserted.
    virtual OpenResult Open(int32_t portNumber, const LineSettings& settings) = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;

    // Hands as many bytes to the driver as it takes now: that count (0 when full), or -1 on an
    // I/O failure (the cause shows in TakeLineErrors).
    virtual int32_t WriteSome(const uint8_t* bytes, int32_t count) = 0;
    // Bytes handed to the driver that have not left the host yet (0 when unknown).
    virtual int32_t PendingOutput() = 0;
    // Reads the bytes that are there now: that count (0 when none), or -1 on an I/O failure.
    virtual int32_t ReadSome(uint8_t* bytes, int32_t count) = 0;
    // Whether the line is gone for good, as a network connection the server closed: nothing more
    // can arrive, so a read fails at once instead of waiting out its deadline. A local port's
    // failed read may be a passing one and is tried again until the deadline.
    virtual bool IsLost() const { return false; }

    // Each wait returns early when its condition holds; false when `timeoutMs` passed first, or
    // at once on a lost line.
    virtual bool WaitReadable(int32_t timeoutMs) = 0;
    virtual bool WaitWritable(int32_t timeoutMs) = 0;
    virtual bool WaitDrained(int32_t timeoutMs) = 0;

    // Discards pending output and/or input. False when the driver refuses.
    virtual bool Purge(bool output, bool input) = 0;

    // The line-error flags (CommStatus::LineError bits) seen since the last call.
    virtual uint32_t TakeLineErrors() = 0;
};

// The device for COM ports on the platform this program is built for. Defined by the serial
// part of the link (serial/), which the build compiles for that platform.
std::unique_ptr<SerialDevice> CreatePlatformSerialDevice();

}  // namespace tavin
