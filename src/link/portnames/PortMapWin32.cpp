// The port maps on Windows: the values "COM<n>" of the key "Ports" below the RS-232C program's
// profile key, where Qt's settings keep the profile (Software\<company>\<title>, as
// QSettings(company, title) names it): below HKEY_CURRENT_USER the user's map, below
// HKEY_LOCAL_MACHINE the system's. Read and written here with the registry API, as tavinctl and
// the link have no Qt; the values are strings (REG_SZ), as Qt writes them, so each side reads
// what the other wrote.
#include <windows.h>

#include <string>
#include <vector>

#include "Edition.h"
#include "PortMap.h"
#include "StringIds.h"
#include "StringTable.h"
#include "SystemErrorText.h"

namespace tavin {

namespace {

constexpr int32_t kHighestPort = 10;

std::wstring Wide(const std::string& text) {
    if (text.empty()) {
        return {};
    }
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring wide(size_t(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), wide.data(), length);
    return wide;
}

std::string Utf8(const std::wstring& wide) {
    if (wide.empty()) {
        return {};
    }
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string text(size_t(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), text.data(), length, nullptr,
                        nullptr);
    return text;
}

// The map's key below its root.
std::string PortsKey() {
    return "Software\\" + std::string(LoadText(string_id::kCompany, EditionKind::Morva7E)) + "\\" +
           std::string(LoadText(string_id::kAppTitle, EditionKind::Morva7E)) + "\\Ports";
}

HKEY Root(PortMapScope scope) {
    return scope == PortMapScope::kSystem ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

std::string Trim(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) {
        return "";
    }
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// The string value `name` of the open key, or "" when there is none or it is
// not a string.
std::string ReadString(HKEY key, const std::wstring& name) {
    DWORD bytes = 0;
    if (RegGetValueW(key, nullptr, name.c_str(), RRF_RT_REG_SZ, nullptr, nullptr, &bytes) !=
            ERROR_SUCCESS ||
        bytes < sizeof(wchar_t)) {
        return "";
    }
    std::vector<wchar_t> value(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = DWORD(value.size() * sizeof(wchar_t));
    if (RegGetValueW(key, nullptr, name.c_str(), RRF_RT_REG_SZ, nullptr, value.data(), &bytes) !=
        ERROR_SUCCESS) {
        return "";
    }
    return Trim(Utf8(value.data()));
}

}  // namespace

std::string PortMapLocation(PortMapScope scope) {
    return (scope == PortMapScope::kSystem ? "HKEY_LOCAL_MACHINE\\" : "HKEY_CURRENT_USER\\") +
           PortsKey();
}

std::map<int32_t, std::string> ReadPortMap(PortMapScope scope) {
    std::map<int32_t, std::string> map;
    HKEY key = nullptr;
    if (RegOpenKeyExW(Root(scope), Wide(PortsKey()).c_str(), 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS) {
        return map;
    }
    for (int32_t port = 1; port <= kHighestPort; ++port) {
        if (std::string device = ReadString(key, L"COM" + std::to_wstring(port)); !device.empty()) {
            map[port] = std::move(device);
        }
    }
    RegCloseKey(key);
    return map;
}

bool WritePortMapEntry(int32_t portNumber, const std::string& device, std::string& error,
                       PortMapScope scope) {
    const std::wstring name = L"COM" + std::to_wstring(portNumber);
    HKEY key = nullptr;
    LSTATUS status = RegCreateKeyExW(Root(scope), Wide(PortsKey()).c_str(), 0, nullptr, 0,
                                     KEY_SET_VALUE, nullptr, &key, nullptr);
    if (status == ERROR_SUCCESS) {
        if (device.empty()) {
            status = RegDeleteValueW(key, name.c_str());
            status = status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
        } else {
            const std::wstring value = Wide(device);
            status = RegSetValueExW(key, name.c_str(), 0, REG_SZ,
                                    reinterpret_cast<const BYTE*>(value.c_str()),
                                    DWORD((value.size() + 1) * sizeof(wchar_t)));
        }
        RegCloseKey(key);
    }
    if (status != ERROR_SUCCESS) {
        error = "cannot write " + PortMapLocation(scope) + ": " + SystemErrorText(status);
        return false;
    }
    return true;
}

}  // namespace tavin
