// The two port maps together; reading and writing each is the platform's.
#include "PortMap.h"

namespace tavin {

std::map<int32_t, MappedPort> ReadPortMaps() {
    std::map<int32_t, MappedPort> ports;
    for (const PortMapScope scope : {PortMapScope::kUser, PortMapScope::kSystem}) {
        for (auto& [port, device] : ReadPortMap(scope)) {
            ports.try_emplace(port, MappedPort{std::move(device), scope});  // the user's first
        }
    }
    return ports;
}

std::map<int32_t, std::string> ReadPortMap() {
    std::map<int32_t, std::string> devices;
    for (auto& [port, mapped] : ReadPortMaps()) {
        devices.emplace(port, std::move(mapped.device));
    }
    return devices;
}

std::string MappedDevice(int32_t portNumber) {
    const auto ports = ReadPortMaps();
    const auto entry = ports.find(portNumber);
    return entry == ports.end() ? "" : entry->second.device;
}

std::string PortMapFile() {
    return PortMapLocation(PortMapScope::kUser);
}

}  // namespace tavin
