// The serial device on Windows (the Win32 communications API). The only file that knows it.
//
// The port is opened for plain, non-overlapped I/O. The transport above owns every deadline and
// calls back here in short steps, so no call in this file blocks for long:
// - writes hand the block to the driver with a total time-out of the time the bytes need on the
//   wire plus one short slice; a driver that does not take them in that time gives the count it
//   took, and the transport decides whether to wait on;
// - reads return at once with whatever has arrived (MAXDWORD read interval, no totals);
// - waiting for input watches the driver's input count and sleeps a millisecond between looks.
//   WaitCommEvent cannot be bounded on a non-overlapped handle, and the "return on the first
//   byte" read time-out is not honoured everywhere (under Wine such a read always sleeps its full
//   time), so a short sleep is the one wait that keeps both the deadline and an idle processor.
#include <windows.h>

#include <algorithm>

#include "CommStatus.h"
#include "PortNames.h"
#include "SerialDevice.h"

namespace tavin {

namespace {

constexpr DWORD kQueueBytes = 4096;
constexpr DWORD kWriteSliceMs = 50;  // the longest a write may stall before the transport looks
constexpr DWORD kPollMs = 1;
// The bits of a character on the wire at most: start, 8 data, parity, 2 stop.
constexpr DWORD kBitsPerByte = 12;

static_assert(sizeof(COMMPROP) == 64, "the driver is told the capability record's size");

class Win32SerialDevice final : public SerialDevice {
  public:
    ~Win32SerialDevice() override { Close(); }

    OpenResult Open(int32_t portNumber, const LineSettings& settings) override {
        Close();
        // \\.\COMn, or what the environment or the user's port map names for it.
        const std::string name = ComPortDeviceName(portNumber);
        // No sharing: a second program, or a second copy of this one, is refused the port.
        const HANDLE handle = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                          OPEN_EXISTING, 0, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            return OpenResult::kCannotOpen;
        }
        handle_ = handle;
        pendingErrors_ = 0;
        transferFailed_ = false;
        lastWriteTookNothing_ = false;
        mode_ = TimeoutMode::kUnset;
        baudRate_ = settings.baudRate;

        // Drivers with fixed queues refuse the sizes; the port works all the same.
        SetupComm(handle_, kQueueBytes, kQueueBytes);
        COMMPROP properties{};
        properties.wPacketLength = sizeof(COMMPROP);
        GetCommProperties(handle_, &properties);

        DCB dcb{};
        dcb.DCBlength = sizeof(DCB);
        GetCommState(handle_, &dcb);  // what the driver has; only the fields below change
        dcb.BaudRate = static_cast<DWORD>(settings.baudRate);
        dcb.ByteSize = settings.byteSize;
        dcb.Parity = settings.parity;
        dcb.StopBits = settings.stopBits;
        dcb.fBinary = 1;
        dcb.fParity = settings.parity != 0 ? 1 : 0;
        dcb.fOutxCtsFlow = 0;
        dcb.fOutxDsrFlow = 0;
        dcb.fDsrSensitivity = 0;
        dcb.fOutX = 0;
        dcb.fInX = 0;
        dcb.fErrorChar = 0;
        dcb.fAbortOnError = 0;
        dcb.fDtrControl = DTR_CONTROL_ENABLE;
        dcb.fRtsControl = RTS_CONTROL_ENABLE;
        // Any non-zero result is success, as for every Win32 call.
        if (!SetCommState(handle_, &dcb)) {
            ReadStatus();  // the driver's flags say why; the transport takes them next
            return OpenResult::kSettingsRefused;
        }
        return OpenResult::kOpened;
    }

    void Close() override {
        if (handle_ == INVALID_HANDLE_VALUE) {
            return;
        }
        CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }

    bool IsOpen() const override { return handle_ != INVALID_HANDLE_VALUE; }

    int32_t WriteSome(const uint8_t* bytes, int32_t count) override {
        DWORD written = 0;
        if (!UseTimeouts(TimeoutMode::kWrite) ||
            !WriteFile(handle_, bytes, static_cast<DWORD>(count), &written, nullptr)) {
            transferFailed_ = true;
            return -1;
        }
        lastWriteTookNothing_ = written == 0;
        return static_cast<int32_t>(written);
    }

    int32_t PendingOutput() override {
        COMSTAT status{};
        return ReadStatus(&status) ? static_cast<int32_t>(status.cbOutQue) : 0;
    }

    int32_t ReadSome(uint8_t* bytes, int32_t count) override {
        DWORD got = 0;
        if (!UseTimeouts(TimeoutMode::kRead) ||
            !ReadFile(handle_, bytes, static_cast<DWORD>(count), &got, nullptr)) {
            transferFailed_ = true;
            return -1;
        }
        return static_cast<int32_t>(got);
    }

    bool WaitReadable(int32_t timeoutMs) override {
        return WaitFor(timeoutMs, [](const COMSTAT& status) { return status.cbInQue > 0; });
    }

    bool WaitWritable(int32_t timeoutMs) override {
        // A write that took nothing was refused for now: look again only after a pause, or the
        // transport would call straight back into the same refusal.
        const bool pauseFirst = lastWriteTookNothing_;
        lastWriteTookNothing_ = false;
        if (pauseFirst && timeoutMs > 0) {
            const DWORD pause = std::min<DWORD>(kPollMs, static_cast<DWORD>(timeoutMs));
            Sleep(pause);
            timeoutMs -= static_cast<int32_t>(pause);
        }
        return WaitFor(timeoutMs,
                       [](const COMSTAT& status) { return status.cbOutQue < kQueueBytes; });
    }

    bool WaitDrained(int32_t timeoutMs) override {
        return WaitFor(timeoutMs, [](const COMSTAT& status) { return status.cbOutQue == 0; });
    }

    bool Purge(bool output, bool input) override {
        const DWORD flags = (output ? PURGE_TXCLEAR : 0) | (input ? PURGE_RXCLEAR : 0);
        return flags == 0 || PurgeComm(handle_, flags);
    }

    uint32_t TakeLineErrors() override {
        ReadStatus();
        uint32_t flags = pendingErrors_;
        // A transfer the driver failed without naming a line error is an I/O failure (a USB
        // adapter pulled out, say), not a silent camera.
        if (flags == 0 && transferFailed_) {
            flags = CommStatus::kCeIoe;
        }
        pendingErrors_ = 0;
        transferFailed_ = false;
        return flags;
    }

  private:
    enum class TimeoutMode { kUnset, kRead, kWrite };

    // ClearCommError both reads the queue counts and clears the driver's error flags, so every
    // call keeps the flags for the next TakeLineErrors.
    bool ReadStatus(COMSTAT* status = nullptr) {
        DWORD errors = 0;
        COMSTAT scratch{};
        if (handle_ == INVALID_HANDLE_VALUE ||
            !ClearCommError(handle_, &errors, status ? status : &scratch)) {
            return false;
        }
        pendingErrors_ |= static_cast<uint32_t>(errors);
        return true;
    }

    // The driver keeps one time-out record for both directions: hand it over when the direction
    // of transfer changes (once per transfer in a request and reply exchange).
    bool UseTimeouts(TimeoutMode mode) {
        if (mode == mode_) {
            return true;
        }
        COMMTIMEOUTS timeouts{};
        timeouts.ReadIntervalTimeout = MAXDWORD;  // reads return at once
        if (mode == TimeoutMode::kWrite) {
            timeouts.WriteTotalTimeoutMultiplier = WireTimePerByteMs();
            timeouts.WriteTotalTimeoutConstant = kWriteSliceMs;
        }
        if (!SetCommTimeouts(handle_, &timeouts)) {
            mode_ = TimeoutMode::kUnset;
            return false;
        }
        mode_ = mode;
        return true;
    }

    DWORD WireTimePerByteMs() const {
        if (baudRate_ <= 0) {
            return 1;
        }
        const DWORD baud = static_cast<DWORD>(baudRate_);
        return (kBitsPerByte * 1000 + baud - 1) / baud;
    }

    template <typename Condition>
    bool WaitFor(int32_t timeoutMs, Condition holds) {
        const ULONGLONG deadline =
            GetTickCount64() + static_cast<ULONGLONG>(std::max(timeoutMs, 0));
        for (;;) {
            COMSTAT status{};
            const bool known = ReadStatus(&status);
            if (known && holds(status)) {
                return true;
            }
            const ULONGLONG now = GetTickCount64();
            if (now >= deadline) {
                return false;
            }
            // A driver that cannot tell its state (the device is gone) is waited out, not spun
            // on; the transport finds the failure when it next reads or writes.
            const ULONGLONG left = deadline - now;
            Sleep(known ? static_cast<DWORD>(std::min<ULONGLONG>(left, kPollMs))
                        : static_cast<DWORD>(left));
        }
    }

    HANDLE handle_ = INVALID_HANDLE_VALUE;
    int32_t baudRate_ = 0;
    TimeoutMode mode_ = TimeoutMode::kUnset;
    uint32_t pendingErrors_ = 0;
    bool transferFailed_ = false;
    bool lastWriteTookNothing_ = false;
};

}  // namespace

std::unique_ptr<SerialDevice> CreatePlatformSerialDevice() {
    return std::make_unique<Win32SerialDevice>();
}

}  // namespace tavin
