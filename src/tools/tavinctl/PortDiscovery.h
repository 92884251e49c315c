#pragma once

#include <string>
#include <vector>

// The serial ports that really exist on this host, described for people picking one
// (PortDiscoveryLinux.cpp, PortDiscoveryWin32.cpp).

namespace tavin::ctl {

struct DetectedPort {
    std::string device;       // /dev/ttyUSB0; on Windows COM3
    std::string byId;         // its stable /dev/serial/by-id name, where it has one
    std::string driver;       // the kernel driver: ftdi_sio, cdc_acm, serial8250, ...; FTDIBUS, ...
    std::string description;  // on Windows the name Device Manager shows
    int usbVendor = -1;       // -1 when not a USB port
    int usbProduct = -1;
    std::string maker;
    std::string product;
    std::string serial;
};

// On-board UARTs that have hardware behind them, USB adapters and whatever else the kernel
// reports as a serial port; sorted by device name (on Windows by port number).
std::vector<DetectedPort> DetectPorts();

// The /dev/serial/by-id name of `device` (which may itself be a link), or "".
std::string ByIdName(const std::string& device);

}  // namespace tavin::ctl
