#pragma once

#include <cstdint>
#include <map>
#include <string>

// The COM port map: which device COM 1 to 10 stand for on this host, where TAVIN_COM<n> does not
// say. There are two: the user's, and the system's for every user (a service without a home,
// such as the boot-time restore unit, has only that one). The user's entries win; the system's
// fill in the ports the user's leaves unmapped. The programs and tavinctl share both.
//
// Where the maps are kept is the platform's: on Linux (PortMapLinux.cpp) the section "Ports"
// (entries "COM<n>") of the RS-232C program's profile, ~/.config/<company>/<title>.conf, and
// /etc/tavin/ports.conf in the same form; on Windows (PortMapWin32.cpp) the key "Ports" below
// the profile's registry key, HKEY_CURRENT_USER\Software\<company>\<title>, and the same key
// below HKEY_LOCAL_MACHINE, with string values "COM<n>".

namespace tavin {

enum class PortMapScope { kUser, kSystem };

// Where the map of `scope` is kept, for people; "" for the user's when this user has no home
// to keep it in.
std::string PortMapLocation(PortMapScope scope);

// The entries of one map by port number (1 to 10); entries that name no port are left out.
std::map<int32_t, std::string> ReadPortMap(PortMapScope scope);

// Maps COM `portNumber` to `device` in the map of `scope`, or removes its entry when `device`
// is empty. False with the reason in `error` when the map cannot be written (no home for the
// user's, no permission for the system's).
bool WritePortMapEntry(int32_t portNumber, const std::string& device, std::string& error,
                       PortMapScope scope = PortMapScope::kUser);

// Both maps as the programs use them.
struct MappedPort {
    std::string device;
    PortMapScope scope = PortMapScope::kUser;
};
std::map<int32_t, MappedPort> ReadPortMaps();

// The devices of ReadPortMaps().
std::map<int32_t, std::string> ReadPortMap();

// The device COM `portNumber` is mapped to, or "" when neither map has it.
std::string MappedDevice(int32_t portNumber);

// The user's map file (PortMapLocation(kUser)).
std::string PortMapFile();

}  // namespace tavin
