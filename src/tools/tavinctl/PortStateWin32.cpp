// Saving a port's state on Windows. A port opens only once at a time, so the state is read from
// an open of our own that is let go again before the probe's link opens the port, and written
// back through another one afterwards. Whether the port is in use is that first open's answer:
// Windows refuses a port another program holds (access denied, or a sharing violation where
// the driver checks sharing first), and this package's programs claim the ports they hold,
// for drivers that let a second open through (PortClaimWin32.h).
//
// The line settings record (DCB) holds the modem lines too: how DTR and RTS are driven is part
// of it, so putting it back puts them back.
#include <windows.h>

#include "DevicePaths.h"
#include "PortClaimWin32.h"
#include "PortState.h"

namespace tavin::ctl {

struct SavedPortState::Saved {
    std::string path;
    DCB settings{};
    COMMTIMEOUTS timeouts{};
};

namespace {

// INVALID_HANDLE_VALUE with ERROR_ACCESS_DENIED where another program holds the port.
HANDLE OpenExclusively(const std::string& path) {
    if (PortClaim(path).HeldElsewhere()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    return CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                       nullptr);
}

}  // namespace

SavedPortState::SavedPortState() = default;

SavedPortState::Opened SavedPortState::Open(const std::string& device) {
    auto saved = std::make_unique<Saved>();
    saved->path = DeviceOpenPath(device);
    const HANDLE port = OpenExclusively(saved->path);
    if (port == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION
                   ? Opened::kBusy
                   : Opened::kCannotOpen;
    }
    saved->settings.DCBlength = sizeof(DCB);
    const bool serial =
        GetCommState(port, &saved->settings) != 0 && GetCommTimeouts(port, &saved->timeouts) != 0;
    CloseHandle(port);
    if (!serial) {
        return Opened::kCannotOpen;  // a device, but no serial port
    }
    saved_ = std::move(saved);
    return Opened::kFree;
}

SavedPortState::~SavedPortState() {
    if (!saved_) {
        return;
    }
    // Another program may have taken the port in between; it is then its to set.
    const HANDLE port = OpenExclusively(saved_->path);
    if (port == INVALID_HANDLE_VALUE) {
        return;
    }
    SetCommState(port, &saved_->settings);
    SetCommTimeouts(port, &saved_->timeouts);
    CloseHandle(port);
}

}  // namespace tavin::ctl
