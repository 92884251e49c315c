// The serial device on Windows (the Win32 communications API). The only file that knows it.
//
// The port is opened for plain, non-overlapped I/O. The transport above owns every deadline and
// calls back here in short steps, so no call in this file blocks for long:
// - writes hand the block to the driver with a total time-out of the time the bytes need on the
//   wire plus one short slice; a driver that does not take them in that time gives the count it
//   took, and the transport decides whether to wait on;
// - reads return at once with whatever has arrived (MAXDWORD read interval, no totals);
// - waiting for input is a read of one byte with the driver's "return with the first byte"
//   time-out (MAXDWORD interval and multiplier, the wait as the constant): it sleeps in the
//   driver and returns as the byte lands, where looking at the input count between sleeps of a
//   millisecond (1.1 ms under Wine) kept every reply waiting half a look on average. The byte is
//   kept for the next read. WaitCommEvent is no alternative: it cannot be bounded on a
//   non-overlapped handle, and under Wine it polls as well;
// - waiting for the output to drain watches the driver's output count and sleeps a millisecond
//   between looks: a short sleep is the one wait that keeps both the deadline and an idle
//   processor.
#include <windows.h>

#include <algorithm>
#include <memory>
#include <optional>

#include "CommStatus.h"
#include "PortClaimWin32.h"
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
        // No sharing: a second program, or a second copy of this one, is refused the port, by
        // the driver or, where the driver lets a second open through, by the claim.
        auto claim = std::make_unique<PortClaim>(name);
        if (claim->HeldElsewhere()) {
            return OpenResult::kCannotOpen;
        }
        const HANDLE handle = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                          OPEN_EXISTING, 0, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            return OpenResult::kCannotOpen;
        }
        handle_ = handle;
        claim_ = std::move(claim);
        waitedByte_.reset();
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
        claim_.reset();
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
        int32_t taken = 0;
        if (waitedByte_ && count > 0) {
            bytes[taken++] = *waitedByte_;
            waitedByte_.reset();
        }
        // Only what has arrived is asked for: either read time-out returns it at once, so the
        // driver is not handed a new record between every wait and read.
        COMSTAT status{};
        if (taken == count || (ReadStatus(&status) && status.cbInQue == 0)) {
            return taken;
        }
        if (mode_ != TimeoutMode::kFirstByte && !UseTimeouts(TimeoutMode::kRead)) {
            transferFailed_ = true;
            return taken > 0 ? taken : -1;
        }
        const DWORD wanted =
            std::min<DWORD>(static_cast<DWORD>(count - taken), std::max<DWORD>(status.cbInQue, 1));
        DWORD got = 0;
        if (!ReadFile(handle_, bytes + taken, wanted, &got, nullptr)) {
            transferFailed_ = true;
            return taken > 0 ? taken : -1;
        }
        return taken + static_cast<int32_t>(got);
    }

    bool WaitReadable(int32_t timeoutMs) override {
        if (waitedByte_) {
            return true;
        }
        if (timeoutMs <= 0) {
            COMSTAT status{};
            return ReadStatus(&status) && status.cbInQue > 0;
        }
        uint8_t byte = 0;
        DWORD got = 0;
        if (!UseTimeouts(TimeoutMode::kFirstByte, static_cast<DWORD>(timeoutMs)) ||
            !ReadFile(handle_, &byte, 1, &got, nullptr)) {
            transferFailed_ = true;
            return true;  // the next read finds the failure
        }
        if (got == 1) {
            waitedByte_ = byte;
        }
        return got == 1;
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
        if (input) {
            waitedByte_.reset();
        }
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
    enum class TimeoutMode { kUnset, kRead, kFirstByte, kWrite };

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

    // The driver keeps one time-out record for both directions: hand it over when the kind of
    // transfer changes (a few times in a request and reply exchange).
    bool UseTimeouts(TimeoutMode mode, DWORD waitMs = 0) {
        if (mode == mode_ && (mode != TimeoutMode::kFirstByte || waitMs == firstByteWaitMs_)) {
            return true;
        }
        COMMTIMEOUTS timeouts{};
        timeouts.ReadIntervalTimeout = MAXDWORD;  // reads return at once
        if (mode == TimeoutMode::kFirstByte) {
            // ... or with the first byte, waiting for it up to the constant (0 < it < MAXDWORD).
            timeouts.ReadTotalTimeoutMultiplier = MAXDWORD;
            timeouts.ReadTotalTimeoutConstant = std::clamp<DWORD>(waitMs, 1, MAXDWORD - 1);
        } else if (mode == TimeoutMode::kWrite) {
            timeouts.WriteTotalTimeoutMultiplier = WireTimePerByteMs();
            timeouts.WriteTotalTimeoutConstant = kWriteSliceMs;
        }
        if (!SetCommTimeouts(handle_, &timeouts)) {
            mode_ = TimeoutMode::kUnset;
            return false;
        }
        mode_ = mode;
        firstByteWaitMs_ = waitMs;
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
    std::unique_ptr<PortClaim> claim_;
    int32_t baudRate_ = 0;
    TimeoutMode mode_ = TimeoutMode::kUnset;
    DWORD firstByteWaitMs_ = 0;
    std::optional<uint8_t> waitedByte_;  // taken by a wait, handed out by the next read
    uint32_t pendingErrors_ = 0;
    bool transferFailed_ = false;
    bool lastWriteTookNothing_ = false;
};

}  // namespace

// The local ports; ComPortDevice.cpp picks between them and the network ones.
std::unique_ptr<SerialDevice> CreateLocalSerialDevice() {
    return std::make_unique<Win32SerialDevice>();
}

}  // namespace tavin
