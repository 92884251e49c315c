// The serial ports of Windows: the registry lists every port present (the key SERIALCOMM below
// HKLM\HARDWARE\DEVICEMAP, where each port driver enters its ports), and SetupAPI describes those
// it knows: the friendly name Device Manager shows, the maker, the driver and the USB ids of the
// device behind it. Both are part of Windows, so unlike libserialport nothing has to be
// cross-built.
#include <windows.h>
// After windows.h:
#include <cfgmgr32.h>
#include <devguid.h>
#include <setupapi.h>
// Before devpkey.h, so that this file holds the property keys it names.
#include <initguid.h>
// After initguid.h:
#include <devpkey.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <vector>

#include "PortDiscovery.h"
#include "PortDiscoveryWin32.h"

namespace tavin::ctl {

namespace {

std::string Utf8(std::wstring_view wide) {
    if (wide.empty()) {
        return {};
    }
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string text(size_t(std::max(length, 0)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), text.data(), length, nullptr,
                        nullptr);
    return text;
}

// A string of the registry, cut at its end.
std::string Trimmed(const std::vector<wchar_t>& value) {
    const auto end = std::find(value.begin(), value.end(), L'\0');
    return Utf8(std::wstring_view(value.data(), size_t(end - value.begin())));
}

// "COM1", "COM2", ... as the port drivers entered them.
std::vector<std::string> ListedPorts() {
    std::vector<std::string> ports;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_QUERY_VALUE,
                      &key) != ERROR_SUCCESS) {
        return ports;
    }
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        DWORD nameLength = std::size(name);
        std::vector<wchar_t> data(256, L'\0');
        DWORD dataBytes = DWORD((data.size() - 1) * sizeof(wchar_t));
        DWORD type = 0;
        const LSTATUS status = RegEnumValueW(key, index, name, &nameLength, nullptr, &type,
                                             reinterpret_cast<BYTE*>(data.data()), &dataBytes);
        if (status == ERROR_NO_MORE_ITEMS) {
            break;
        }
        if (status == ERROR_SUCCESS && type == REG_SZ) {
            ports.push_back(Trimmed(data));
        }
    }
    RegCloseKey(key);
    return ports;
}

std::string Property(HDEVINFO devices, SP_DEVINFO_DATA& device, DWORD property) {
    std::vector<wchar_t> value(512, L'\0');
    DWORD type = 0;
    if (!SetupDiGetDeviceRegistryPropertyW(devices, &device, property, &type,
                                           reinterpret_cast<BYTE*>(value.data()),
                                           DWORD((value.size() - 1) * sizeof(wchar_t)), nullptr) ||
        type != REG_SZ) {
        return "";
    }
    return Trimmed(value);
}

// The product name the device itself reports over USB, where Windows keeps it.
std::string ReportedProduct(HDEVINFO devices, SP_DEVINFO_DATA& device) {
    std::vector<wchar_t> value(512, L'\0');
    DEVPROPTYPE type = 0;
    if (!SetupDiGetDevicePropertyW(devices, &device, &DEVPKEY_Device_BusReportedDeviceDesc, &type,
                                   reinterpret_cast<BYTE*>(value.data()),
                                   DWORD((value.size() - 1) * sizeof(wchar_t)), nullptr, 0) ||
        type != DEVPROP_TYPE_STRING) {
        return "";
    }
    return Trimmed(value);
}

std::string PortNameOf(HDEVINFO devices, SP_DEVINFO_DATA& device) {
    const HKEY key =
        SetupDiOpenDevRegKey(devices, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_QUERY_VALUE);
    if (key == INVALID_HANDLE_VALUE) {
        return "";
    }
    std::vector<wchar_t> value(64, L'\0');
    DWORD bytes = DWORD((value.size() - 1) * sizeof(wchar_t));
    DWORD type = 0;
    const bool ok =
        RegQueryValueExW(key, L"PortName", nullptr, &type, reinterpret_cast<BYTE*>(value.data()),
                         &bytes) == ERROR_SUCCESS &&
        type == REG_SZ;
    RegCloseKey(key);
    return ok ? Trimmed(value) : "";
}

std::string InstanceId(DEVINST instance) {
    wchar_t id[MAX_DEVICE_ID_LEN + 1] = {};
    return CM_Get_Device_IDW(instance, id, MAX_DEVICE_ID_LEN, 0) == CR_SUCCESS ? Utf8(id) : "";
}

// The USB ids of the device or of the USB device it belongs to (an interface of a composite
// device, or a driver's own bus below the USB device).
UsbIds UsbIdsAbove(DEVINST instance) {
    UsbIds found;
    for (int depth = 0; depth < 4; ++depth) {
        const UsbIds ids = UsbIdsOf(InstanceId(instance));
        if (found.vendor < 0) {
            found.vendor = ids.vendor;
            found.product = ids.product;
        }
        if (found.serial.empty()) {
            found.serial = ids.serial;
        }
        DEVINST parent = 0;
        if ((found.vendor >= 0 && !found.serial.empty()) ||
            CM_Get_Parent(&parent, instance, 0) != CR_SUCCESS) {
            break;
        }
        instance = parent;
    }
    return found;
}

// What SetupAPI knows of the ports of the Ports class (and of any device offering the COM port
// interface, such as a USB modem), by port name in capitals.
std::map<std::string, DetectedPort> DescribedPorts() {
    std::map<std::string, DetectedPort> described;
    const struct {
        const GUID* guid;
        DWORD flags;
    } sets[] = {{&GUID_DEVCLASS_PORTS, DIGCF_PRESENT},
                {&GUID_DEVINTERFACE_COMPORT, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE}};
    for (const auto& set : sets) {
        const HDEVINFO devices = SetupDiGetClassDevsW(set.guid, nullptr, nullptr, set.flags);
        if (devices == INVALID_HANDLE_VALUE) {
            continue;
        }
        SP_DEVINFO_DATA device{};
        device.cbSize = sizeof device;
        for (DWORD index = 0; SetupDiEnumDeviceInfo(devices, index, &device); ++index) {
            DetectedPort port;
            port.device = PortNameOf(devices, device);
            if (port.device.empty()) {
                continue;  // a printer port, or no port at all
            }
            port.description = Property(devices, device, SPDRP_FRIENDLYNAME);
            if (port.description.empty()) {
                port.description = Property(devices, device, SPDRP_DEVICEDESC);
            }
            port.driver = Property(devices, device, SPDRP_SERVICE);
            port.maker = Property(devices, device, SPDRP_MFG);
            port.product = ReportedProduct(devices, device);
            const UsbIds ids = UsbIdsAbove(device.DevInst);
            port.usbVendor = ids.vendor;
            port.usbProduct = ids.product;
            port.serial = ids.serial;
            std::string key = port.device;
            std::transform(key.begin(), key.end(), key.begin(),
                           [](unsigned char c) { return char(std::toupper(c)); });
            described.try_emplace(key, std::move(port));
        }
        SetupDiDestroyDeviceInfoList(devices);
    }
    return described;
}

int PortNumber(const std::string& name) {
    return name.size() > 3 ? std::atoi(name.c_str() + 3) : 0;
}

int HexAfter(std::string_view id, std::string_view tag) {
    const size_t at = id.find(tag);
    if (at == std::string_view::npos || id.size() < at + tag.size() + 4) {
        return -1;
    }
    const std::string digits(id.substr(at + tag.size(), 4));
    char* end = nullptr;
    const long value = std::strtol(digits.c_str(), &end, 16);
    return end == digits.c_str() + 4 ? int(value) : -1;
}

}  // namespace

UsbIds UsbIdsOf(std::string_view instanceId) {
    UsbIds ids;
    const size_t first = instanceId.find('\\');
    if (first == std::string_view::npos) {
        return ids;
    }
    const size_t second = instanceId.find('\\', first + 1);
    const std::string_view hardware = instanceId.substr(first + 1, second - first - 1);
    ids.vendor = HexAfter(hardware, "VID_");
    ids.product = HexAfter(hardware, "PID_");
    if (ids.vendor < 0 || ids.product < 0) {
        return {};
    }
    const bool usbDevice =
        instanceId.substr(0, first) == "USB" && hardware.find("&MI_") == std::string_view::npos;
    if (usbDevice && second != std::string_view::npos) {
        const std::string_view last = instanceId.substr(second + 1);
        if (!last.empty() && last.find('&') == std::string_view::npos) {
            ids.serial = std::string(last);
        }
    }
    return ids;
}

std::string ByIdName(const std::string&) {
    return "";  // Windows has no such names: a USB adapter keeps its COM number by itself
}

std::vector<DetectedPort> DetectPorts() {
    std::map<std::string, DetectedPort> described = DescribedPorts();
    std::vector<DetectedPort> ports;
    for (const std::string& name : ListedPorts()) {
        std::string key = name;
        std::transform(key.begin(), key.end(), key.begin(),
                       [](unsigned char c) { return char(std::toupper(c)); });
        const auto known = described.find(key);
        DetectedPort port = known != described.end() ? known->second : DetectedPort{};
        port.device = name;
        ports.push_back(std::move(port));
    }
    std::sort(ports.begin(), ports.end(), [](const DetectedPort& a, const DetectedPort& b) {
        return PortNumber(a.device) != PortNumber(b.device)
                   ? PortNumber(a.device) < PortNumber(b.device)
                   : a.device < b.device;
    });
    return ports;
}

}  // namespace tavin::ctl
