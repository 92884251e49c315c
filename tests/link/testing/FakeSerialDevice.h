#pragma once

#include <memory>
#include <vector>

#include "FakeLine.h"
#include "SerialDevice.h"
#include "SerialPort.h"

// A serial device in virtual time for tests, with the driver's failures on request, and a
// bundle that wires clock, camera peer, line and device into a SerialPort.

namespace tavin::testing {

class FakeSerialDevice final : public SerialDevice {
  public:
    explicit FakeSerialDevice(FakeLine& line) : line_(line) {}

    // Driver behaviour to simulate.
    OpenResult openResult = OpenResult::kOpened;
    uint32_t lineErrors = 0;  // reported by the next TakeLineErrors
    int failingWrites = 0;    // this many WriteSome calls fail (and set lineErrors)
    uint32_t writeErrorFlags = 0;
    bool purgeRefused = false;
    bool outputStalled = false;  // written bytes never leave the host
    bool lost = false;           // gone for good, as a closed network connection
    bool loseOnWrite = false;    // the next write is taken, then the line is lost

    // What the host did.
    int32_t openedPort = -1;
    LineSettings settings;
    int openCount = 0;
    int closeCount = 0;
    struct PurgeCall {
        bool output;
        bool input;
    };
    std::vector<PurgeCall> purges;
    std::vector<uint8_t> written;  // every byte that left the host

    OpenResult Open(int32_t portNumber, const LineSettings& lineSettings) override;
    void Close() override;
    bool IsOpen() const override { return open_; }
    bool IsLost() const override { return lost; }
    int32_t WriteSome(const uint8_t* bytes, int32_t count) override;
    int32_t PendingOutput() override { return stalled_; }
    int32_t ReadSome(uint8_t* bytes, int32_t count) override;
    bool WaitReadable(int32_t timeoutMs) override { return line_.WaitArrival(timeoutMs); }
    bool WaitWritable(int32_t) override { return true; }
    bool WaitDrained(int32_t timeoutMs) override;
    bool Purge(bool output, bool input) override;
    uint32_t TakeLineErrors() override;

  private:
    FakeLine& line_;
    bool open_ = false;
    int32_t stalled_ = 0;
};

// Everything a test needs to drive a SerialPort (or anything derived from it) in virtual time.
struct FakeLink {
    VirtualClock clock;
    FakeCameraPeer peer;
    FakeLine line{clock, peer};
    FakeSerialDevice* device = nullptr;  // owned by the port it is attached to

    // Gives `port` a fresh fake device and the virtual clock.
    void Attach(SerialPort& port) {
        auto fake = std::make_unique<FakeSerialDevice>(line);
        device = fake.get();
        port.UseSerialDevice(std::move(fake));
        port.UseTickSource(clock);
    }
};

}  // namespace tavin::testing
