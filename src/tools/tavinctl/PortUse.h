#pragma once

#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Who else uses a local serial port, found without opening it: a port the kernel writes its
// console to, or that another process has open or has locked the old UUCP way, is not probed.
// Looked at once for all ports (PortUseLinux.cpp).

namespace tavin::ctl {

class PortUsers {
  public:
    // The kernel's consoles, every process's open files that this user may see, and the lock
    // files in `lockDir`.
    static PortUsers Scan(const std::string& lockDir = "/var/lock");

    // Why `device` counts as in use ("kernel console", "open in process 1234 (minicom)",
    // "locked by process 1234 (/var/lock/LCK..ttyUSB0)"), or "".
    std::string UserOf(const std::string& device) const;

  private:
    using DeviceNumber = std::pair<unsigned, unsigned>;  // major, minor
    std::vector<DeviceNumber> consoles_;
    std::map<DeviceNumber, std::string> openBy_;
    std::string lockDir_;
};

// The devices /proc/consoles lists, as (major, minor): its lines end in "MAJOR:MINOR".
std::vector<std::pair<unsigned, unsigned>> ParseConsoles(std::string_view text);

// The process that holds a UUCP lock file on the device (major, minor) named `name` below /dev
// ("ttyS0", "pts/3") in `lockDir`: LCK..ttyS0, LCK..pts_3 or LCK.004.064, holding the process
// id as text or as a binary int. 0 when there is none, or its process is gone or is this one.
int UucpLockHolder(const std::string& lockDir, const std::string& name, unsigned major,
                   unsigned minor, std::string* lockFile = nullptr);

}  // namespace tavin::ctl
