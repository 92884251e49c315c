// What tavinctl.exe makes of Windows' names for serial devices: the port names people type and
// the links files hold, and the device instance ids SetupAPI gives for the ports list.
#include <gtest/gtest.h>

#include "DevicePaths.h"
#include "PortClaimWin32.h"
#include "PortDiscoveryWin32.h"

namespace tavin::ctl {
namespace {

TEST(Win32DeviceNames, PortNamesAndDeviceNamesMeetInOneIdentity) {
    const struct {
        const char* written;
        const char* identity;  // "" where the name is no serial device name at all
        const char* opened;
    } cases[] = {
        {"COM3", "\\\\.\\COM3", "\\\\.\\COM3"},
        {"com12", "\\\\.\\COM12", "\\\\.\\com12"},
        {"\\\\.\\COM12", "\\\\.\\COM12", "\\\\.\\COM12"},
        {"\\\\.\\cnca0", "\\\\.\\CNCA0", "\\\\.\\cnca0"},
        {"COM0", "", "COM0"},
        {"COM", "", "COM"},
        {"COM1x", "", "COM1x"},
        {"\\\\.\\", "", "\\\\.\\"},
        {"\\\\.\\C:\\x", "", "\\\\.\\C:\\x"},
        {"/dev/ttyUSB0", "", "/dev/ttyUSB0"},
    };
    for (const auto& c : cases) {
        const bool valid = *c.identity != '\0';
        EXPECT_EQ(CheckMapDevicePath(c.written).empty(), valid) << c.written;
        if (valid) {
            EXPECT_EQ(LocalDeviceIdentity(c.written), c.identity) << c.written;
        }
        EXPECT_EQ(DeviceOpenPath(c.written), c.opened) << c.written;
    }
    // --device takes either form; a links file's device word is one in the device namespace.
    EXPECT_TRUE(CheckDevicePath("\\\\.\\COM12").empty());
    EXPECT_TRUE(CheckDevicePath("COM12").empty());
    EXPECT_FALSE(CheckDevicePath("/dev/ttyS0").empty());
    EXPECT_TRUE(IsWrittenAsDevice("\\\\.\\COM12"));
    EXPECT_FALSE(IsWrittenAsDevice("COM12"));
}

// Every name of one port meets in one claim; other ports are claimed apart.
TEST(Win32DeviceNames, APortIsClaimedOnceWhateverItsName) {
    {
        const PortClaim held("COM7");
        for (const char* name : {"COM7", "com7", "\\\\.\\COM7", "\\\\.\\cOm7"}) {
            EXPECT_TRUE(PortClaim(name).HeldElsewhere()) << name;
        }
        for (const char* name : {"COM77", "COM1", "\\\\.\\CNCA7"}) {
            EXPECT_FALSE(PortClaim(name).HeldElsewhere()) << name;
        }
    }
    EXPECT_FALSE(PortClaim("\\\\.\\COM7").HeldElsewhere());
}

TEST(Win32DeviceNames, UsbIdsComeFromTheDeviceAndItsDriversForms) {
    const struct {
        const char* instanceId;
        int vendor;
        int product;
        const char* serial;
    } cases[] = {
        {"USB\\VID_0403&PID_6001\\A10K3XYZ", 0x0403, 0x6001, "A10K3XYZ"},
        // The driver's own bus below the USB device: the ids, but no serial number of its own.
        {"FTDIBUS\\VID_0403+PID_6001+A10K3XYZA\\0000", 0x0403, 0x6001, ""},
        // No serial number: Windows made one up, with '&' in it.
        {"USB\\VID_067B&PID_2303\\5&2A8E5C1&0&2", 0x067B, 0x2303, ""},
        // One function of a composite device: the serial number is its parent's.
        {"USB\\VID_2341&PID_0043&MI_00\\6&1B2C3D4&0&0000", 0x2341, 0x0043, ""},
        {"ACPI\\PNP0501\\1", -1, -1, ""},
        {"USB\\VID_04X3&PID_6001\\A1", -1, -1, ""},
        {"USB\\VID_0403", -1, -1, ""},
        {"", -1, -1, ""},
    };
    for (const auto& c : cases) {
        const UsbIds ids = UsbIdsOf(c.instanceId);
        EXPECT_EQ(ids.vendor, c.vendor) << c.instanceId;
        EXPECT_EQ(ids.product, c.product) << c.instanceId;
        EXPECT_EQ(ids.serial, c.serial) << c.instanceId;
    }
}

}  // namespace
}  // namespace tavin::ctl
