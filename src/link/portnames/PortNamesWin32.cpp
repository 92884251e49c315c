// Which device a COM port number stands for on Windows: as on Linux, the
// environment's choice, then the user's port map, then the port itself; only
// the names are Windows'.
#include <windows.h>

#include <cstdlib>

#include "NetworkAddress.h"
#include "PortMap.h"
#include "PortNames.h"

namespace tavin {

namespace {

constexpr std::string_view kDeviceNamespace = "\\\\.\\";

// "COM12" as "\\.\COM12": ports above COM9 open only through the device
// namespace, and the others open the same way.
std::string AsDevicePath(const std::string& name) {
    const bool portName = name.size() > 3 && _strnicmp(name.c_str(), "COM", 3) == 0 &&
                          name.find_first_not_of("0123456789", 3) == std::string::npos;
    return portName ? std::string(kDeviceNamespace) + name : name;
}

}  // namespace

std::string ComPortDeviceName(int32_t portNumber) {
    const std::string variable = "TAVIN_COM" + std::to_string(portNumber);
    if (const char* path = std::getenv(variable.c_str()); path && *path) {
        return AsDevicePath(path);
    }
    if (std::string mapped = MappedDevice(portNumber); !mapped.empty()) {
        return AsDevicePath(mapped);
    }
    return std::string(kDeviceNamespace) + "COM" + std::to_string(portNumber);
}

std::string DescribeComPort(int32_t portNumber) {
    const std::string device = ComPortDeviceName(portNumber);
    if (IsNetworkAddress(device)) {
        return device;
    }
    // A device in the device namespace exists when Windows knows its name;
    // anything else is a path.
    bool exists = false;
    if (device.starts_with(kDeviceNamespace)) {
        char target[MAX_PATH];
        exists = QueryDosDeviceA(device.substr(kDeviceNamespace.size()).c_str(), target,
                                 sizeof target) != 0;
    } else {
        exists = GetFileAttributesA(device.c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    return exists ? device : device + " (does not exist)";
}

}  // namespace tavin
