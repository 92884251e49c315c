// Listing and describing ports is libserialport's job. What it does not say is added from the
// places the kernel and udev keep it: the by-id links, the driver's name, and whether an
// on-board UART slot has a chip behind it (newer kernels name its driver differently, and the
// library would then list the empty slots the 8250 driver registers).
#include "PortDiscovery.h"

#include <libserialport.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace tavin::ctl {

namespace {

namespace fs = std::filesystem;

std::string Text(const char* text) {
    return text ? text : "";
}

fs::path TtyClassDir(const std::string& device) {
    return fs::path("/sys/class/tty") / fs::path(device).filename();
}

// An 8250 slot without a UART reports type 0 (unknown).
bool IsEmptyUartSlot(const std::string& device) {
    if (!fs::path(device).filename().string().starts_with("ttyS")) {
        return false;
    }
    std::ifstream type(TtyClassDir(device) / "type");
    int value = -1;
    return type >> value && value == 0;
}

// The driver of the device or, where that is the serial core's generic port driver, of the
// nearest parent that has a driver of its own.
std::string DriverOf(const std::string& device) {
    std::error_code ec;
    fs::path node = fs::canonical(TtyClassDir(device) / "device", ec);
    for (int depth = 0; !ec && depth < 4 && node.has_relative_path(); ++depth) {
        const fs::path driver = fs::canonical(node / "driver", ec);
        if (!ec) {
            const std::string name = driver.filename().string();
            if (name != "port" && name != "ctrl") {
                return name;
            }
        }
        ec.clear();
        node = node.parent_path();
    }
    return "";
}

}  // namespace

std::string ByIdName(const std::string& device) {
    std::error_code ec;
    const fs::path target = fs::canonical(device, ec);
    if (ec) {
        return "";
    }
    for (const auto& entry : fs::directory_iterator("/dev/serial/by-id", ec)) {
        std::error_code linkError;
        if (fs::canonical(entry.path(), linkError) == target && !linkError) {
            return entry.path().string();
        }
    }
    return "";
}

std::vector<DetectedPort> DetectPorts() {
    std::vector<DetectedPort> ports;
    sp_port** list = nullptr;
    if (sp_list_ports(&list) != SP_OK) {
        return ports;
    }
    for (sp_port** port = list; *port; ++port) {
        DetectedPort detected;
        detected.device = Text(sp_get_port_name(*port));
        if (detected.device.empty() || IsEmptyUartSlot(detected.device)) {
            continue;
        }
        detected.description = Text(sp_get_port_description(*port));
        if (sp_get_port_transport(*port) == SP_TRANSPORT_USB) {
            int vendor = -1;
            int product = -1;
            if (sp_get_port_usb_vid_pid(*port, &vendor, &product) == SP_OK) {
                detected.usbVendor = vendor;
                detected.usbProduct = product;
            }
            detected.maker = Text(sp_get_port_usb_manufacturer(*port));
            detected.product = Text(sp_get_port_usb_product(*port));
            detected.serial = Text(sp_get_port_usb_serial(*port));
        }
        detected.byId = ByIdName(detected.device);
        detected.driver = DriverOf(detected.device);
        ports.push_back(std::move(detected));
    }
    sp_free_port_list(list);
    std::sort(ports.begin(), ports.end(),
              [](const DetectedPort& a, const DetectedPort& b) { return a.device < b.device; });
    return ports;
}

}  // namespace tavin::ctl
