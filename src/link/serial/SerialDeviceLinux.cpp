// The serial device on Linux (termios, TIOCGICOUNT). The only file that knows the serial API.
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <string>

#include "CommStatus.h"
#include "PortNames.h"
#include "SerialDevice.h"

namespace tavin {

namespace {

bool SpeedCode(int32_t baudRate, speed_t& code) {
    switch (baudRate) {
        case 1200:
            code = B1200;
            return true;
        case 2400:
            code = B2400;
            return true;
        case 4800:
            code = B4800;
            return true;
        case 9600:
            code = B9600;
            return true;
        case 19200:
            code = B19200;
            return true;
        case 38400:
            code = B38400;
            return true;
        case 57600:
            code = B57600;
            return true;
        case 115200:
            code = B115200;
            return true;
        default:
            return false;
    }
}

bool ApplySettings(termios& tio, const LineSettings& settings) {
    speed_t speed;
    if (!SpeedCode(settings.baudRate, speed) || settings.byteSize < 5 || settings.byteSize > 8 ||
        settings.stopBits > 2 || settings.parity > 4) {
        return false;
    }
    cfmakeraw(&tio);
    cfsetispeed(&tio, speed);
    cfsetospeed(&tio, speed);
    static constexpr tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
    tio.c_cflag &= ~(CSIZE | CSTOPB | PARENB | PARODD | CMSPAR | CRTSCTS);
    tio.c_cflag |= kSizes[settings.byteSize - 5] | CLOCAL | CREAD;
    if (settings.stopBits != 0) {
        tio.c_cflag |= CSTOPB;  // one and a half stop bits do not exist here; two come closest
    }
    switch (settings.parity) {
        case 1:
            tio.c_cflag |= PARENB | PARODD;
            break;
        case 2:
            tio.c_cflag |= PARENB;
            break;
        case 3:
            tio.c_cflag |= PARENB | PARODD | CMSPAR;
            break;
        case 4:
            tio.c_cflag |= PARENB | CMSPAR;
            break;
        default:
            break;
    }
    if (settings.parity != 0) {
        tio.c_iflag |= INPCK;
    }
    tio.c_iflag &= ~(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    return true;
}

// The time one character takes on the line: start bit, data bits, parity bit, stop bits.
std::chrono::microseconds ByteTime(const LineSettings& settings) {
    const int bits =
        1 + settings.byteSize + (settings.parity != 0 ? 1 : 0) + (settings.stopBits != 0 ? 2 : 1);
    return std::chrono::microseconds(1'000'000LL * bits / std::max(settings.baudRate, 1) + 1);
}

// However slow the line, a wait for the rest of a frame stays short, so the program stays
// responsive and a frame that never completes costs no more than this.
constexpr std::chrono::milliseconds kLongestFrameWait{20};

class LinuxSerialDevice final : public SerialDevice {
  public:
    ~LinuxSerialDevice() override { Close(); }

    OpenResult Open(int32_t portNumber, const LineSettings& settings) override {
        Close();
        const int fd = ::open(ComPortDeviceName(portNumber).c_str(),
                              O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            return OpenResult::kCannotOpen;
        }
        termios original{};
        // TIOCEXCL keeps other users out but not root; the lock also keeps out a second copy
        // of this program run by root.
        if (ioctl(fd, TIOCEXCL) != 0 || flock(fd, LOCK_EX | LOCK_NB) != 0 ||
            tcgetattr(fd, &original) != 0) {
            ::close(fd);  // not a terminal, or another program holds it
            return OpenResult::kCannotOpen;
        }
        fd_ = fd;
        original_ = original;
        counters_ = ReadCounters();
        hasLineStatus_ = true;
        missing_ = 0;
        pendingErrors_ = 0;
        termios tio = original;
        if (!ApplySettings(tio, settings) || tcsetattr(fd_, TCSANOW, &tio) != 0) {
            return OpenResult::kSettingsRefused;
        }
        byteTime_ = ByteTime(settings);
        // A pseudo-terminal has no modem lines and says so (ENOTTY); on a real port a refusal
        // means the driver is in trouble.
        int lines = TIOCM_DTR | TIOCM_RTS;
        if (ioctl(fd_, TIOCMBIS, &lines) != 0 && errno != ENOTTY && errno != EINVAL) {
            pendingErrors_ |= CommStatus::kCeIoe;
            return OpenResult::kSettingsRefused;
        }
        return OpenResult::kOpened;
    }

    void Close() override {
        if (fd_ < 0) {
            return;
        }
        tcsetattr(fd_, TCSANOW, &original_);
        // The exclusive mode outlives this descriptor while anything else holds the line open
        // (the far end of a pseudo-terminal, a getty): give the line back.
        ioctl(fd_, TIOCNXCL);
        ::close(fd_);
        fd_ = -1;
    }

    bool IsOpen() const override { return fd_ >= 0; }

    int32_t WriteSome(const uint8_t* bytes, int32_t count) override {
        const ssize_t written = ::write(fd_, bytes, static_cast<size_t>(count));
        if (written >= 0) {
            return static_cast<int32_t>(written);
        }
        return Failed();
    }

    int32_t PendingOutput() override {
        int pending = 0;
        return ioctl(fd_, TIOCOUTQ, &pending) == 0 ? pending : 0;
    }

    int32_t ReadSome(uint8_t* bytes, int32_t count) override {
        const ssize_t got = ::read(fd_, bytes, static_cast<size_t>(count));
        missing_ = count - static_cast<int32_t>(std::max<ssize_t>(got, 0));
        if (got >= 0) {
            return static_cast<int32_t>(got);
        }
        return Failed();
    }

    bool WaitReadable(int32_t timeoutMs) override {
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
        if (!Poll(POLLIN, timeoutMs)) {
            return false;
        }
        AwaitRestOfFrame(deadline);
        return true;
    }
    bool WaitWritable(int32_t timeoutMs) override { return Poll(POLLOUT, timeoutMs); }

    bool WaitDrained(int32_t timeoutMs) override {
        // tcdrain() cannot be bounded, so watch the output queue and the transmitter instead.
        // Each look is timed to the line: the queued bytes' wire time, at least one byte time,
        // so a drained ENQ is noticed within a byte time and the camera's ACK is not kept
        // waiting by a coarse poll.
        using namespace std::chrono;
        const auto deadline = steady_clock::now() + milliseconds(std::max(timeoutMs, 0));
        for (;;) {
            const int32_t pending = PendingOutput();
            if (pending == 0 && TransmitterEmpty()) {
                return true;
            }
            const auto now = steady_clock::now();
            if (now >= deadline) {
                return false;
            }
            const auto look =
                std::min<steady_clock::duration>(byteTime_ * std::max(pending, 1), deadline - now);
            Pause(look);
        }
    }

    bool Purge(bool output, bool input) override {
        const int queue = output && input ? TCIOFLUSH : output ? TCOFLUSH : TCIFLUSH;
        return (!output && !input) || tcflush(fd_, queue) == 0;
    }

    uint32_t TakeLineErrors() override {
        // A line without counters at open has none later: it is not asked again.
        const Counters now = counters_.known ? ReadCounters() : Counters{};
        uint32_t flags = pendingErrors_;
        pendingErrors_ = 0;
        if (now.known && counters_.known) {
            const serial_icounter_struct& a = counters_.values;
            const serial_icounter_struct& b = now.values;
            if (b.frame != a.frame)
                flags |= CommStatus::kCeFrame;
            if (b.overrun != a.overrun)
                flags |= CommStatus::kCeOverrun;
            if (b.parity != a.parity)
                flags |= CommStatus::kCeRxParity;
            if (b.brk != a.brk)
                flags |= CommStatus::kCeBreak;
            if (b.buf_overrun != a.buf_overrun)
                flags |= CommStatus::kCeRxOver;
        }
        counters_ = now;
        return flags;
    }

  private:
    struct Counters {
        bool known = false;
        serial_icounter_struct values{};
    };

    Counters ReadCounters() const {
        Counters counters;
        // Pseudo-terminals and some adapters keep no counters: they report no line errors.
        counters.known = fd_ >= 0 && ioctl(fd_, TIOCGICOUNT, &counters.values) == 0;
        return counters;
    }

    bool TransmitterEmpty() {
        unsigned int status = 0;
        if (!hasLineStatus_) {
            return true;
        }
        if (ioctl(fd_, TIOCSERGETLSR, &status) != 0) {
            // No such register here (a pseudo-terminal, many USB adapters): not asked again.
            hasLineStatus_ = errno != ENOTTY && errno != EINVAL;
            return true;
        }
        return (status & TIOCSER_TEMT) != 0;
    }

    int32_t Failed() {
        if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) {
            return 0;
        }
        pendingErrors_ |= CommStatus::kCeIoe;  // e.g. EIO: the adapter was unplugged
        return -1;
    }

    // The camera's frames come a byte at a time at the line's speed. Once the first of several
    // bytes the caller still wants is there, the others cannot all arrive before their wire
    // time: sleep until just before the last of them is due, rather than waking for every
    // byte, and let the poll catch the last one as it lands. Nothing that has arrived is kept
    // waiting for longer than one byte's time, and a frame cut short is still left to the
    // caller's own deadline.
    void AwaitRestOfFrame(std::chrono::steady_clock::time_point deadline) const {
        using namespace std::chrono;
        int available = 0;
        if (missing_ <= 2 || ioctl(fd_, FIONREAD, &available) != 0 || available >= missing_ - 1) {
            return;
        }
        const auto rest = std::min<steady_clock::duration>(byteTime_ * (missing_ - available - 1),
                                                           kLongestFrameWait);
        Pause(std::min<steady_clock::duration>(rest, deadline - steady_clock::now()));
    }

    // Sleeps for `length` (not at all when it has passed) on the kernel's fine timer.
    static void Pause(std::chrono::steady_clock::duration length) {
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(length).count();
        if (ns <= 0) {
            return;
        }
        timespec pause{};
        pause.tv_sec = static_cast<time_t>(ns / 1'000'000'000);
        pause.tv_nsec = static_cast<long>(ns % 1'000'000'000);
        ppoll(nullptr, 0, &pause, nullptr);
    }

    bool Poll(short events, int32_t timeoutMs) {
        pollfd entry{fd_, events, 0};
        const int ready = poll(&entry, 1, std::max(timeoutMs, 0));
        if (ready <= 0) {
            return false;
        }
        // A line whose other end is gone stays "readable" for ever with nothing to read (a
        // hung-up terminal reports POLLIN with POLLHUP), so test the hang-up first. Bytes that
        // came before it are still read by the caller's next read.
        if ((entry.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0 ||
            (entry.revents & events) == 0) {
            pendingErrors_ |= CommStatus::kCeIoe;
            // Nothing will come, but do not let the caller spin on it.
            poll(nullptr, 0, std::max(timeoutMs, 0));
            return false;
        }
        return true;
    }

    int fd_ = -1;
    termios original_{};
    std::chrono::microseconds byteTime_{1000};
    int32_t missing_ = 0;  // bytes the caller's last read wanted and did not get
    bool hasLineStatus_ = true;
    Counters counters_;
    uint32_t pendingErrors_ = 0;
};

}  // namespace

// The local ports; ComPortDevice.cpp picks between them and the network ones.
std::unique_ptr<SerialDevice> CreateLocalSerialDevice() {
    return std::make_unique<LinuxSerialDevice>();
}

}  // namespace tavin
