#pragma once

#include <cstdint>
#include <map>
#include <string>

// The user's COM port map: entry "COM<n>" of the section "Ports" of the RS-232C program's
// per-user profile, where Qt's settings keep it: on Linux the file
// ~/.config/<company>/<title>.conf (PortMap.cpp), on Windows the registry key
// HKEY_CURRENT_USER\Software\<company>\<title> (PortMapWin32.cpp). The programs and tavinctl
// share it; tavinctl has no Qt, so it is read and edited here, leaving everything else in the
// profile as it was.

namespace tavin {

// Where the map is, for telling users: the profile file, or on Windows the registry key.
std::string PortMapFile();

// The mapped devices by port number (1 to 10); entries that name no port are left out.
std::map<int32_t, std::string> ReadPortMap();

// The device COM `portNumber` is mapped to, or "" when it is not.
std::string MappedDevice(int32_t portNumber);

// Maps COM `portNumber` to `device`, or removes its entry when `device` is empty. False with
// the reason in `error` when the file cannot be written.
bool WritePortMapEntry(int32_t portNumber, const std::string& device, std::string& error);

}  // namespace tavin
