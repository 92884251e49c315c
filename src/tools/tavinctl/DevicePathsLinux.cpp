// Serial devices on Linux: character devices, reached by any path, /dev/serial/by-id names
// among them.
#include <filesystem>

#include "DevicePaths.h"

namespace tavin::ctl {

namespace {

namespace fs = std::filesystem;

std::string NotASerialDevice(const fs::file_status& status) {
    return fs::is_directory(status) ? "is a directory, not a serial device"
                                    : "is not a serial device (no character device)";
}

}  // namespace

bool IsWrittenAsDevice(std::string_view word) {
    return word.find('/') != std::string_view::npos;
}

std::string CheckDevicePath(std::string_view device) {
    if (!fs::path(device).is_absolute()) {
        return "is not an absolute path";
    }
    std::error_code ec;
    const fs::file_status status = fs::status(device, ec);
    if (fs::exists(status) && !fs::is_character_file(status)) {
        return NotASerialDevice(status);
    }
    return "";
}

std::string CheckMapDevicePath(std::string_view device) {
    if (!fs::path(device).is_absolute()) {
        return "is not an absolute path";
    }
    std::error_code ec;
    const fs::file_status status = fs::status(device, ec);
    if (fs::is_character_file(status)) {
        return "";
    }
    if (!fs::exists(status)) {
        return fs::path(device).lexically_normal().string().starts_with("/dev/serial/")
                   ? ""
                   : "does not exist (only a /dev/serial/ name may be mapped before its adapter "
                     "is plugged in)";
    }
    return NotASerialDevice(status);
}

std::string LocalDeviceIdentity(const std::string& device) {
    std::error_code ec;
    const fs::path real = fs::canonical(device, ec);
    return ec ? fs::path(device).lexically_normal().string() : real.string();
}

std::string DeviceOpenPath(const std::string& device) {
    return device;
}

bool DeviceExists(const std::string& device) {
    std::error_code ec;
    return fs::exists(device, ec);
}

std::string LinkTargetOf(const std::string& device) {
    std::error_code ec;
    if (!fs::is_symlink(device, ec)) {
        return "";
    }
    const fs::path target = fs::canonical(device, ec);
    return ec ? "" : target.string();
}

std::string_view UnmappedComPortPattern() {
    return "/dev/ttyS<N-1>";
}

std::string_view ExampleDevice() {
    return "/dev/ttyUSB0";
}

std::string_view StableDeviceNames() {
    return "a /dev/serial/by-id name";
}

}  // namespace tavin::ctl
