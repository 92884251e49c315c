#include "PtyCameraServer.h"

#include "LineSettingsText.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/prctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <vector>

namespace tavin::sim {

namespace {

SimTime Now() {
    return std::chrono::steady_clock::now().time_since_epoch();
}

[[noreturn]] void ThrowErrno(const char* what) {
    throw std::system_error(errno, std::generic_category(), what);
}

void MakeRaw(int fd) {
    termios tio{};
    if (tcgetattr(fd, &tio) != 0) {
        ThrowErrno("tcgetattr on the pseudo-terminal");
    }
    cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    if (tcsetattr(fd, TCSANOW, &tio) != 0) {
        ThrowErrno("tcsetattr on the pseudo-terminal");
    }
}

}  // namespace

PtyCameraServer::PtyCameraServer(ServerOptions options)
    : camera_(std::move(options.settings)),
      monitor_(std::move(options.monitor)),
      started_(std::chrono::steady_clock::now()) {
    camera_.SetFault(options.fault);
    camera_.SetPacing(options.pacing);
    if (monitor_) {
        camera_.SetObserver([this](SimTime at, const MonitorEvent& event) {
            monitor_(FormatMonitorLine(at - started_.time_since_epoch(), event));
        });
    }
    try {
        master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
        if (master_ < 0) {
            ThrowErrno("posix_openpt");
        }
        if (grantpt(master_) != 0 || unlockpt(master_) != 0) {
            ThrowErrno("unlocking the pseudo-terminal");
        }
        char name[128];
        if (ptsname_r(master_, name, sizeof name) != 0) {
            ThrowErrno("ptsname_r");
        }
        devicePath_ = name;
        slave_ = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (slave_ < 0) {
            ThrowErrno("opening the pseudo-terminal's device");
        }
        // Without raw mode the line discipline would echo the camera's bytes back to it.
        MakeRaw(slave_);
        // The monitor tells only of the settings a host makes.
        if (termios tio{}; tcgetattr(slave_, &tio) == 0) {
            lineSettings_ = "line " + LineSettingsText(tio);
            initialBaud_ = LineBaud(tio);
        }
        wakeFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        if (wakeFd_ < 0) {
            ThrowErrno("eventfd");
        }
        thread_ = std::thread([this] { Serve(); });
    } catch (...) {
        CloseLine();
        if (wakeFd_ >= 0) {
            close(wakeFd_);
        }
        throw;
    }
}

PtyCameraServer::~PtyCameraServer() {
    Stop();
}

void PtyCameraServer::Stop() {
    {
        std::lock_guard lock(mutex_);
        if (stopping_) {
            return;
        }
        stopping_ = true;
    }
    Wake();
    if (thread_.joinable()) {
        thread_.join();
    }
    CloseLine();
    close(wakeFd_);
    wakeFd_ = -1;
}

void PtyCameraServer::Wake() {
    const uint64_t one = 1;
    // The counter cannot overflow in practice; a full counter still leaves the thread awake.
    [[maybe_unused]] const auto n = write(wakeFd_, &one, sizeof one);
}

void PtyCameraServer::CloseLine() {
    if (master_ >= 0) {
        close(master_);
        master_ = -1;
    }
    if (slave_ >= 0) {
        close(slave_);
        slave_ = -1;
    }
}

void PtyCameraServer::SetFault(const Fault& fault) {
    std::lock_guard lock(mutex_);
    camera_.SetFault(fault);
}

Fault PtyCameraServer::CurrentFault() const {
    std::lock_guard lock(mutex_);
    return camera_.Engine().GetFault();
}

void PtyCameraServer::Load(std::span<const int32_t, kFactoryItemCount> values) {
    std::lock_guard lock(mutex_);
    camera_.Engine().Settings().Load(values);
}

void PtyCameraServer::HangUp() {
    {
        std::lock_guard lock(mutex_);
        camera_.HangUp(Now());
    }
    Wake();
}

void PtyCameraServer::SetPacing(const LinePacing& pacing) {
    {
        std::lock_guard lock(mutex_);
        camera_.SetPacing(pacing);
    }
    Wake();
}

uint64_t PtyCameraServer::BytesFromHost() const {
    std::lock_guard lock(mutex_);
    return camera_.BytesFromHost();
}

uint64_t PtyCameraServer::BytesToHost() const {
    std::lock_guard lock(mutex_);
    return camera_.BytesToHost();
}

int32_t PtyCameraServer::Value(CommandGroup group, uint8_t itemNumber) const {
    std::lock_guard lock(mutex_);
    return camera_.Engine().Settings().Get(group, itemNumber);
}

bool PtyCameraServer::WaitForHangUp(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return activity_.wait_for(lock, timeout, [this] { return lineClosed_; });
}

bool PtyCameraServer::HostLineMatches() {
    termios tio{};
    if (slave_ < 0 || tcgetattr(slave_, &tio) != 0) {
        return true;
    }
    // The host sets the line before it sends, so the settings its bytes came with are known here.
    std::string text = "line " + LineSettingsText(tio);
    if (text != lineSettings_) {
        lineSettings_ = std::move(text);
        if (monitor_) {
            monitor_(lineSettings_);
        }
    }
    // A paced camera hears only noise from a host that set its line to another speed. A host
    // that left the speed alone (a bare terminal) is heard.
    const long speed = LineBaud(tio);
    std::lock_guard lock(mutex_);
    const int paced = camera_.Pacing().baud;
    return paced == 0 || speed == initialBaud_ || speed == paced;
}

void PtyCameraServer::Serve() {
    // Paced bytes go out when ppoll's time-out ends; the default 50 us timer slack would make
    // every turnaround late and show up as line time that a real wire does not have.
    prctl(PR_SET_TIMERSLACK, 1UL);
    std::vector<uint8_t> unsent;  // bytes due to the host that the pty has not taken yet
    uint8_t buffer[256];
    for (;;) {
        pollfd fds[2] = {{wakeFd_, POLLIN, 0}, {master_, POLLIN, 0}};
        timespec wait{};
        const timespec* timeout = nullptr;
        {
            std::lock_guard lock(mutex_);
            if (stopping_) {
                return;
            }
            const SimTime now = Now();
            LineOutput out = camera_.Advance(now);
            unsent.insert(unsent.end(), out.bytes.begin(), out.bytes.end());
            if (!unsent.empty() && master_ >= 0) {
                const ssize_t n = write(master_, unsent.data(), unsent.size());
                if (n > 0) {
                    unsent.erase(unsent.begin(), unsent.begin() + n);
                }
            }
            if (out.closed && !lineClosed_) {
                CloseLine();
                lineClosed_ = true;
            }
            activity_.notify_all();
            if (const auto next = camera_.NextEventTime()) {
                const SimTime delay = std::max(*next - now, SimTime::zero());
                wait.tv_sec = std::chrono::duration_cast<std::chrono::seconds>(delay).count();
                wait.tv_nsec = (delay % std::chrono::seconds(1)).count();
                timeout = &wait;
            }
        }
        fds[1].fd = master_;  // -1 once the line is closed: poll then ignores it
        if (!unsent.empty()) {
            fds[1].events |= POLLOUT;
        }
        if (ppoll(fds, 2, timeout, nullptr) < 0 && errno != EINTR) {
            return;
        }
        if (fds[0].revents & POLLIN) {
            uint64_t count;
            [[maybe_unused]] const auto n = read(wakeFd_, &count, sizeof count);
        }
        if (fds[1].revents & POLLIN) {
            const ssize_t n = read(master_, buffer, sizeof buffer);
            if (n > 0 && HostLineMatches()) {
                std::lock_guard lock(mutex_);
                camera_.FromHost(std::span(buffer, static_cast<size_t>(n)), Now());
            }
        }
    }
}

}  // namespace tavin::sim
