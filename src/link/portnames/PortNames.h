#pragma once

#include <cstdint>
#include <string>

// Which device a COM port number stands for on this host.

namespace tavin {

// The device of COM port `portNumber`: the one named by TAVIN_COM<n>, else the one the user's
// port map or else the system's names (PortMap.h), else /dev/ttyS<n-1> (on Windows \\.\COM<n>,
// and a port name such as "COM12" stands for its device \\.\COM12). A device is a path or a
// network address ("rfc2217://HOST:PORT", "tcp://HOST:PORT").
std::string ComPortDeviceName(int32_t portNumber);

// The device of the port and, for a local one that is not there, that it does not exist:
// "/dev/ttyS3 (does not exist)". For telling users what a port number means.
std::string DescribeComPort(int32_t portNumber);

}  // namespace tavin
