#pragma once

#include <cstdint>
#include <map>
#include <string>

// The user's COM port map: entry "COM<n>" of the section "Ports" of the RS-232C program's
// per-user profile (the file Qt's settings keep, ~/.config/<company>/<title>.conf). The programs
// and tavinctl share it; tavinctl has no Qt, so the file is read and edited here, line by line,
// leaving everything else in it as it was.

namespace tavin {

// The profile file that holds the map.
std::string PortMapFile();

// The mapped devices by port number (1 to 10); entries that name no port are left out.
std::map<int32_t, std::string> ReadPortMap();

// The device COM `portNumber` is mapped to, or "" when it is not.
std::string MappedDevice(int32_t portNumber);

// Maps COM `portNumber` to `device`, or removes its entry when `device` is empty. False with
// the reason in `error` when the file cannot be written.
bool WritePortMapEntry(int32_t portNumber, const std::string& device, std::string& error);

}  // namespace tavin
