#include "PortNames.h"

#include <cstdlib>

namespace tavin {

std::string ComPortDeviceName(int32_t portNumber) {
    const std::string variable = "TAVIN_COM" + std::to_string(portNumber);
    if (const char* path = std::getenv(variable.c_str()); path && *path) {
        return path;
    }
    return "/dev/ttyS" + std::to_string(portNumber - 1);
}

}  // namespace tavin
