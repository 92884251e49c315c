#pragma once

#include <string>
#include <string_view>

// What the name of a local serial device looks like on this system, and what is known about
// one without opening it: on Linux an absolute path to a character device (DevicePathsLinux.cpp),
// on Windows a port name such as COM3 or a name in the device namespace, \\.\COM12
// (DevicePathsWin32.cpp). Network addresses and Camera Link libraries are the same everywhere
// and not handled here.

namespace tavin::ctl {

// Whether `word` is written as a device (a links-file word or a --probe operand): then
// CheckDevicePath says whether it is a good one. COM1 to COM10 are COM ports, not devices.
bool IsWrittenAsDevice(std::string_view word);

// "" when `device` may name a serial device here, else the reason ("is not an absolute path").
// A device that is not there now is allowed: an adapter may be plugged in later.
std::string CheckDevicePath(std::string_view device);

// The same for a port map's entry, which must name a device that can come and go by a stable
// name.
std::string CheckMapDevicePath(std::string_view device);

// What two names of one device have in common (on Linux the real path behind symbolic links,
// on Windows the device-namespace name in capitals), for telling links on one device apart.
std::string LocalDeviceIdentity(const std::string& device);

// Whether the device is there now.
bool DeviceExists(const std::string& device);

// The name the system opens `device` by: on Windows "COM12" becomes "\\.\COM12", as ports
// above COM9 open only through the device namespace; elsewhere the name itself.
std::string DeviceOpenPath(const std::string& device);

// Where a name that is a link leads (a /dev/serial/by-id name's /dev/ttyUSB0), or "".
std::string LinkTargetOf(const std::string& device);

// How people are told what COM N stands for when nothing maps it: "/dev/ttyS<N-1>".
std::string_view UnmappedComPortPattern();
// A local serial device as users of this system know one: "/dev/ttyUSB0".
std::string_view ExampleDevice();
// The names that stay with a port whatever else is plugged in: "a /dev/serial/by-id name".
std::string_view StableDeviceNames();

}  // namespace tavin::ctl
