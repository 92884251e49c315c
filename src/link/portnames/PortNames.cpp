#include "PortNames.h"

#include <cstdlib>
#include <filesystem>

#include "NetworkAddress.h"
#include "PortMap.h"

namespace tavin {

std::string ComPortDeviceName(int32_t portNumber) {
    const std::string variable = "TAVIN_COM" + std::to_string(portNumber);
    if (const char* path = std::getenv(variable.c_str()); path && *path) {
        return path;
    }
    if (std::string mapped = MappedDevice(portNumber); !mapped.empty()) {
        return mapped;
    }
    return "/dev/ttyS" + std::to_string(portNumber - 1);
}

std::string DescribeComPort(int32_t portNumber) {
    const std::string device = ComPortDeviceName(portNumber);
    std::error_code ec;
    if (IsNetworkAddress(device) || std::filesystem::exists(device, ec)) {
        return device;
    }
    return device + " (does not exist)";
}

}  // namespace tavin
