// Saving a port's state on POSIX: a descriptor of our own, opened without taking the port, holds
// the line open while the probe's link opens and closes it, so the close is never the last one
// (which would drop the modem lines), and carries the old termios and modem lines back.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

#include "PortState.h"

namespace tavin::ctl {

struct SavedPortState::Saved {
    int fd = -1;
    termios settings{};
    int modemLines = 0;
    bool hasModemLines = false;  // a pseudo-terminal has none
};

SavedPortState::SavedPortState() = default;

SavedPortState::Opened SavedPortState::Open(const std::string& device) {
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return errno == EBUSY                      ? Opened::kBusy
               : errno == EACCES || errno == EPERM ? Opened::kNoAccess
                                                   : Opened::kCannotOpen;
    }
    // Root opens a port another program holds exclusively; the flag itself still tells. The
    // lock is the one this program's own transport takes, given back at once so the probe's
    // link can take it.
    int exclusive = 0;
    const bool held = (::ioctl(fd, TIOCGEXCL, &exclusive) == 0 && exclusive != 0) ||
                      ::flock(fd, LOCK_EX | LOCK_NB) != 0;
    auto saved = std::make_unique<Saved>();
    saved->fd = fd;
    if (held || ::tcgetattr(fd, &saved->settings) != 0) {
        ::close(fd);
        return held ? Opened::kBusy : Opened::kCannotOpen;  // not a terminal
    }
    ::flock(fd, LOCK_UN);
    saved->hasModemLines = ::ioctl(fd, TIOCMGET, &saved->modemLines) == 0;
    saved_ = std::move(saved);
    return Opened::kFree;
}

SavedPortState::~SavedPortState() {
    if (!saved_) {
        return;
    }
    ::tcsetattr(saved_->fd, TCSANOW, &saved_->settings);
    if (saved_->hasModemLines) {
        ::ioctl(saved_->fd, TIOCMSET, &saved_->modemLines);
    }
    ::close(saved_->fd);
}

}  // namespace tavin::ctl
