// Serial devices on Windows: port names such as COM3, which stand for \\.\COM3 in the device
// namespace, and any other name there (\\.\CNCA0 of a virtual port driver). Case does not
// matter in either.
#include <windows.h>

#include <cctype>

#include "DevicePaths.h"

namespace tavin::ctl {

namespace {

constexpr std::string_view kDeviceNamespace = "\\\\.\\";

bool IsPortName(std::string_view name) {
    if (name.size() < 4 || _strnicmp(name.data(), "COM", 3) != 0 || name[3] == '0') {
        return false;
    }
    return name.find_first_not_of("0123456789", 3) == std::string_view::npos;
}

// The name below the device namespace, "" when `device` is written neither way.
std::string DeviceName(std::string_view device) {
    if (IsPortName(device)) {
        return std::string(device);
    }
    if (device.size() > kDeviceNamespace.size() && device.starts_with(kDeviceNamespace)) {
        const std::string_view name = device.substr(kDeviceNamespace.size());
        if (name.find_first_of("\\/:") == std::string_view::npos) {
            return std::string(name);
        }
    }
    return "";
}

std::string UpperCase(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return text;
}

}  // namespace

bool IsWrittenAsDevice(std::string_view word) {
    return word.starts_with(kDeviceNamespace);
}

std::string CheckDevicePath(std::string_view device) {
    return DeviceName(device).empty()
               ? "is no device name such as \\\\.\\COM12 (a name in the device namespace)"
               : "";
}

std::string CheckMapDevicePath(std::string_view device) {
    return DeviceName(device).empty() ? "is neither a port name such as COM12 nor a device name "
                                        "such as \\\\.\\COM12"
                                      : "";
}

std::string LocalDeviceIdentity(const std::string& device) {
    const std::string name = DeviceName(device);
    return name.empty() ? UpperCase(device) : std::string(kDeviceNamespace) + UpperCase(name);
}

std::string DeviceOpenPath(const std::string& device) {
    const std::string name = DeviceName(device);
    return name.empty() ? device : std::string(kDeviceNamespace) + name;
}

bool DeviceExists(const std::string& device) {
    const std::string name = DeviceName(device);
    if (name.empty()) {
        return GetFileAttributesA(device.c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    char target[MAX_PATH];
    return QueryDosDeviceA(name.c_str(), target, sizeof target) != 0;
}

std::string LinkTargetOf(const std::string&) {
    return "";  // port names are the stable names here; nothing leads elsewhere
}

std::string_view UnmappedComPortPattern() {
    return "\\\\.\\COM<N>";
}

std::string_view ExampleDevice() {
    return "COM12";
}

std::string_view StableDeviceNames() {
    return "a port name such as COM12";
}

}  // namespace tavin::ctl
