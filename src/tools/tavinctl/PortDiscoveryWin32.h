#pragma once

#include <string>
#include <string_view>

// What Windows' device instance ids say about a USB port (PortDiscoveryWin32.cpp).

namespace tavin::ctl {

struct UsbIds {
    int vendor = -1;  // -1 when the id names none
    int product = -1;
    std::string serial;  // "" when the id holds none
};

// The vendor and product of "USB\VID_0403&PID_6001\A10K3XYZ" or of a driver's own form,
// "FTDIBUS\VID_0403+PID_6001+A10K3XYZA\0000"; the serial number where the id is a USB device's
// and its last part is the device's own (Windows makes one up, with '&' in it, for a device
// without a serial number, and for each function of a composite device, "&MI_00").
UsbIds UsbIdsOf(std::string_view instanceId);

}  // namespace tavin::ctl
