#include "PortClaimWin32.h"

#include <cctype>
#include <string_view>

namespace tavin {

namespace {

// "Local\tavin-serial-COM3" for COM3, com3 and \\.\COM3 alike (object names take no further
// backslash).
std::wstring ClaimName(std::string_view device) {
    constexpr std::string_view kDeviceNamespace = "\\\\.\\";
    if (device.starts_with(kDeviceNamespace)) {
        device.remove_prefix(kDeviceNamespace.size());
    }
    std::wstring name = L"Local\\tavin-serial-";
    for (const char c : device) {
        name +=
            c == '\\' ? L'_' : static_cast<wchar_t>(std::toupper(static_cast<unsigned char>(c)));
    }
    return name;
}

}  // namespace

PortClaim::PortClaim(const std::string& device) {
    handle_ = CreateEventW(nullptr, TRUE, FALSE, ClaimName(device).c_str());
    if (handle_ != nullptr && GetLastError() == ERROR_ALREADY_EXISTS) {
        heldElsewhere_ = true;
        CloseHandle(handle_);
        handle_ = nullptr;
    }
}

PortClaim::~PortClaim() {
    if (handle_ != nullptr) {
        CloseHandle(handle_);
    }
}

}  // namespace tavin
