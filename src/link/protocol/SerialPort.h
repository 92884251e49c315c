#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "CommStatus.h"
#include "SerialDevice.h"
#include "TickSource.h"
#include "TransferTrace.h"

// Moves raw bytes between the program and the camera, over an RS-232C port (port path) or the
// serial channel of a Camera Link frame grabber through the board maker's library (library
// path). Failures are recorded in the shared CommStatus.
//
// Public contract used by the layers above. The implementation (OS layer, library binding,
// tick source, trace) is private to src/link.

namespace tavin {

class SerialPort : public virtual CommStatus {
  public:
    // Driver purge flags.
    static constexpr uint32_t kPurgeTxClear = 0x0004;
    static constexpr uint32_t kPurgeRxClear = 0x0008;
    // Driver stop-bits codes.
    static constexpr int32_t kOneStopBit = 0;
    static constexpr int32_t kTwoStopBits = 2;

    SerialPort();
    ~SerialPort() override;
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // RS-232C open, or in single-library mode: load, bind and initialise that library.
    // Returns 0 or -code (2, 4, or a line-error code).
    int32_t Open(int32_t portNumber, int32_t baudRate, int32_t byteSize, int32_t stopBits,
                 int32_t parity);
    // Camera Link open by library file name. Returns 0 (also after "Bord Open Error") or -4.
    int32_t OpenLibrary(const std::string& fileName);
    // Closes the port and the library link, each if open. Always 0.
    int32_t Close();

    // Bytes moved (0 on a driver write failure), or -code (3, 6).
    int32_t Write(const uint8_t* buffer, int32_t count, int32_t timeoutPerByteMs);
    // `count` when all bytes arrived, or -code (3, 5, 6, line-error code); on the library path
    // the number of bytes delivered (a short count means a time-out, recorded as 5).
    int32_t Read(uint8_t* buffer, int32_t count, int32_t timeoutPerByteMs);
    // 0, or -code (3, 8). Succeeds without doing anything on the library path.
    int32_t Purge(uint32_t flags);

    int32_t GetPortNumber() const { return portNumber_; }
    int32_t GetBaudRate() const { return baudRate_; }
    bool IsPortOpen() const;
    bool IsLibraryOpen() const;

    // Single-library mode, chosen by whoever starts the link: from now on Open ignores its
    // arguments and opens the Camera Link library `fileName` instead of a port.
    void UseSingleLibrary(std::string fileName) { singleLibrary_ = std::move(fileName); }

    // Seams for tests and tools: the serial device of the port path (the platform's by
    // default; replacing it closes the port), the clock of every deadline, and the trace.
    void UseSerialDevice(std::unique_ptr<SerialDevice> device);
    void UseTickSource(TickSource& ticks) { ticks_ = &ticks; }
    void UseTrace(TransferTrace& trace) { trace_ = &trace; }

  protected:
    uint64_t NowMs() const { return ticks_->NowMs(); }

  private:
    int32_t OpenSingleLibrary();
    int32_t WritePort(const uint8_t* buffer, int32_t count, int32_t timeoutPerByteMs);
    int32_t ReadPort(uint8_t* buffer, int32_t count, int32_t timeoutPerByteMs);
    int32_t WriteLibrary(const uint8_t* buffer, int32_t count, int32_t timeoutMs);
    int32_t ReadLibrary(uint8_t* buffer, int32_t count, int32_t timeoutMs);
    // The line-error flags since the last failure report.
    uint32_t TakeLineErrors();
    void ForgetIoFailure();
    // Lets the user interface repaint during a long wait, at most every kResponsiveIntervalMs.
    void KeepResponsive(uint64_t& lastCallMs);
    void Trace(TransferTrace::Direction direction, TransferTrace::Path path, int32_t requested,
               const uint8_t* bytes, int32_t moved, int32_t status);

    std::string singleLibrary_;  // empty: ports, and libraries opened by OpenLibrary
    int32_t portNumber_ = 0;
    int32_t baudRate_ = 0;
    std::unique_ptr<SerialDevice> device_;
    uint32_t heldLineErrors_ = 0;  // taken from the device, not yet reported
    TickSource* ticks_;
    TransferTrace* trace_;
};

}  // namespace tavin
