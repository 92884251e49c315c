#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "CtlOptions.h"

// What a word in a links file, a --probe operand or a --map entry may name, and when two links
// reach the same device.

namespace tavin::ctl {

struct LinkTarget {
    enum class Kind { kDevice, kComPort, kLibrary, kNetwork };
    Kind kind = Kind::kDevice;
    std::string value;  // the device path, library file or network address
    int port = 0;       // kComPort: 1 to 10
};

// `word` as a link: a serial device as this system writes one (DevicePaths.h: on Linux an
// absolute path, which must be a character device where it exists), COM1 to COM10 in any case,
// library:FILE, or rfc2217:// or tcp://HOST:PORT with a port from 1 to 65535. `libraries` allows
// library:FILE. Nothing, with the reason in `error`, otherwise.
std::optional<LinkTarget> ParseLinkTarget(std::string_view word, bool libraries,
                                          std::string& error);

// A port map's device: a serial device as DevicePaths.h takes one for a map (on Linux an
// absolute path to a character device, or a name under /dev/serial/ whose adapter may be
// unplugged just now), or a network address as above. "" or the reason.
std::string CheckMapDevice(std::string_view device);

// Where a link ends up, for telling two links on one device apart: the device's identity
// (LocalDeviceIdentity), that of the COM port's device, or host:port; "" for a library (its
// channels differ).
std::string DeviceIdentity(const LinkOptions& link);

}  // namespace tavin::ctl
