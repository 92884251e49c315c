// ports: the serial ports of this host, where COM 1 to 10 point, whether a camera answers, and
// edits of the user's COM port map.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>

#include "Commands.h"
#include "DevicePaths.h"
#include "LinkTarget.h"
#include "NetworkAddress.h"
#include "PortDiscovery.h"
#include "PortMap.h"
#include "PortNames.h"
#include "PortProbe.h"
#include "Report.h"

namespace tavin::ctl {

namespace {

constexpr int kPortCount = 10;

struct ComEntry {
    int port = 0;
    std::string device;
    std::string source;  // "environment", "port map", "system port map" or "built-in"
    std::string target;  // where a link (a by-id name) leads, when it is one
    bool exists = false;
    std::optional<ProbeResult> probe;
};

std::vector<ComEntry> ComEntries() {
    const std::map<int32_t, MappedPort> map = ReadPortMaps();
    std::vector<ComEntry> entries;
    for (int port = 1; port <= kPortCount; ++port) {
        ComEntry entry;
        entry.port = port;
        const char* variable = std::getenv(("TAVIN_COM" + std::to_string(port)).c_str());
        if (variable && *variable) {
            entry.device = variable;
            entry.source = "environment";
        } else if (const auto mapped = map.find(port); mapped != map.end()) {
            entry.device = mapped->second.device;
            entry.source =
                mapped->second.scope == PortMapScope::kUser ? "port map" : "system port map";
        } else {
            entry.device = ComPortDeviceName(port);
            entry.source = "built-in";
        }
        entry.exists = IsNetworkAddress(entry.device) || DeviceExists(entry.device);
        if (entry.exists) {
            entry.target = LinkTargetOf(entry.device);
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

// One key for each device, however it is named.
std::string Canonical(const std::string& device) {
    return IsNetworkAddress(device) ? device : LocalDeviceIdentity(device);
}

// Every detected port, then every existing COM device not among them (a pseudo-terminal, a
// network address), each asked once, all at once.
void Probe(std::vector<DetectedPort>& ports, std::vector<ComEntry>& entries,
           std::map<std::string, ProbeResult>& results) {
    std::vector<std::string> devices;
    std::vector<std::string> keys;
    const auto add = [&](const std::string& device) {
        const std::string key = Canonical(device);
        if (std::find(keys.begin(), keys.end(), key) == keys.end()) {
            devices.push_back(device);
            keys.push_back(key);
        }
    };
    for (const DetectedPort& port : ports) {
        add(port.device);
    }
    for (const ComEntry& entry : entries) {
        if (entry.exists) {
            add(entry.device);
        }
    }
    std::vector<ProbeResult> probed = ProbePorts(devices);
    for (size_t i = 0; i < keys.size(); ++i) {
        results.emplace(keys[i], std::move(probed[i]));
    }
    for (ComEntry& entry : entries) {
        if (entry.exists) {
            entry.probe = results.at(Canonical(entry.device));
        }
    }
}

std::string Hex4(int value) {
    char text[8];
    std::snprintf(text, sizeof text, "%04x", value & 0xFFFF);
    return text;
}

void PrintText(std::ostream& out, const std::vector<DetectedPort>& ports,
               const std::vector<ComEntry>& entries,
               const std::map<std::string, ProbeResult>& results) {
    out << "Serial ports on this host:\n";
    if (ports.empty()) {
        out << "  none found\n";
    }
    for (const DetectedPort& port : ports) {
        out << "  " << port.device;
        // The name the system shows for the port (Windows' "USB Serial Port (COM3)"), where it
        // says more than the device's own name and product.
        const std::string& shown = port.description;
        if (!shown.empty() && shown != port.product && !port.device.ends_with(shown)) {
            out << "  " << shown;
        }
        if (!port.driver.empty()) {
            out << "  driver " << port.driver;
        }
        if (port.usbVendor >= 0) {
            out << "  USB " << Hex4(port.usbVendor) << ':' << Hex4(port.usbProduct);
        }
        for (const std::string* text : {&port.maker, &port.product}) {
            if (!text->empty()) {
                out << "  " << *text;
            }
        }
        if (!port.serial.empty()) {
            out << "  serial " << port.serial;
        }
        out << '\n';
        if (!port.byId.empty()) {
            out << "      " << port.byId << '\n';
        }
        if (const auto probed = results.find(Canonical(port.device)); probed != results.end()) {
            out << "      " << DescribeProbe(probed->second) << '\n';
        }
    }
    const std::string user = PortMapLocation(PortMapScope::kUser);
    out << "COM ports (TAVIN_COM<N>, else the port map in "
        << (user.empty() ? "(no home folder)" : user) << ", else the system port map in "
        << PortMapLocation(PortMapScope::kSystem) << ", else " << UnmappedComPortPattern()
        << "):\n";
    for (const ComEntry& entry : entries) {
        out << "  COM" << entry.port << (entry.port < 10 ? "   " : "  ") << entry.device;
        if (!entry.target.empty()) {
            out << " -> " << entry.target;
        }
        out << "  (" << entry.source << (entry.exists ? "" : ", does not exist") << ')';
        if (entry.probe) {
            out << "  " << DescribeProbe(*entry.probe);
        }
        out << '\n';
    }
}

std::string ProbeJson(const ProbeResult& probe) {
    std::string json = "{\"result\": " + JsonString(ProbeOutcomeName(probe.outcome));
    if (probe.outcome == ProbeResult::Outcome::kCamera && probe.baud != 0) {
        json += ", \"baud\": " + std::to_string(probe.baud);
    }
    if (!probe.detail.empty()) {
        json += ", \"detail\": " + JsonString(probe.detail);
    }
    return json + "}";
}

void PrintJson(std::ostream& out, const std::vector<DetectedPort>& ports,
               const std::vector<ComEntry>& entries,
               const std::map<std::string, ProbeResult>& results) {
    out << "{\"ports\": [";
    const char* separator = "";
    for (const DetectedPort& port : ports) {
        out << separator << "{\"device\": " << JsonString(port.device)
            << ", \"byId\": " << JsonString(port.byId)
            << ", \"driver\": " << JsonString(port.driver)
            << ", \"description\": " << JsonString(port.description);
        if (port.usbVendor >= 0) {
            out << ", \"usbVendor\": " << JsonString(Hex4(port.usbVendor))
                << ", \"usbProduct\": " << JsonString(Hex4(port.usbProduct));
        }
        out << ", \"maker\": " << JsonString(port.maker)
            << ", \"product\": " << JsonString(port.product)
            << ", \"serial\": " << JsonString(port.serial);
        if (const auto probed = results.find(Canonical(port.device)); probed != results.end()) {
            out << ", \"probe\": " << ProbeJson(probed->second);
        }
        out << '}';
        separator = ", ";
    }
    out << "], \"mapFile\": " << JsonString(PortMapLocation(PortMapScope::kUser))
        << ", \"systemMapFile\": " << JsonString(PortMapLocation(PortMapScope::kSystem))
        << ", \"com\": [";
    separator = "";
    for (const ComEntry& entry : entries) {
        out << separator << "{\"port\": " << entry.port
            << ", \"device\": " << JsonString(entry.device)
            << ", \"source\": " << JsonString(entry.source)
            << ", \"target\": " << JsonString(entry.target)
            << ", \"exists\": " << (entry.exists ? "true" : "false");
        if (entry.probe) {
            out << ", \"probe\": " << ProbeJson(*entry.probe);
        }
        out << '}';
        separator = ", ";
    }
    out << "]}\n";
}

bool EditMap(const CtlOptions& options, std::ostream& err) {
    const PortMapScope scope = options.systemMap ? PortMapScope::kSystem : PortMapScope::kUser;
    std::vector<std::pair<int, std::string>> edits;
    for (const std::string& text : options.mapEntries) {
        const size_t equals = text.find('=');
        edits.emplace_back(std::stoi(text.substr(0, equals)), text.substr(equals + 1));
    }
    // Removals last: what is both mapped and unmapped ends up unmapped.
    for (const int port : options.unmapPorts) {
        edits.emplace_back(port, "");
    }
    for (const auto& [port, device] : edits) {
        std::string error;
        if (!WritePortMapEntry(port, device, error, scope)) {
            err << "tavinctl: " << error << '\n';
            return false;
        }
    }
    return true;
}

// ports --probe PORT...: only the ports named, a COM port as the device it stands for.
int ProbeNamed(const CtlOptions& options, Streams io) {
    std::vector<std::string> devices;
    for (const std::string& word : options.operands) {
        std::string error;
        const auto target = ParseLinkTarget(word, false, error);
        devices.push_back(target->kind == LinkTarget::Kind::kComPort
                              ? ComPortDeviceName(target->port)
                              : target->value);
    }
    const std::vector<ProbeResult> results = ProbePorts(devices);
    size_t width = 0;
    for (const std::string& word : options.operands) {
        width = std::max(width, word.size());
    }
    if (options.json) {
        io.out << "{\"probes\": [";
    }
    for (size_t i = 0; i < devices.size(); ++i) {
        const std::string& word = options.operands[i];
        if (options.json) {
            io.out << (i ? ", " : "") << "{\"port\": " << JsonString(word)
                   << ", \"device\": " << JsonString(devices[i])
                   << ", \"probe\": " << ProbeJson(results[i]) << '}';
            continue;
        }
        io.out << word << std::string(width - word.size() + 2, ' ');
        if (devices[i] != word) {
            io.out << devices[i] << "  ";
        }
        io.out << DescribeProbe(results[i]) << '\n';
    }
    io.out << (options.json ? "]}\n" : "");
    return kSuccess;
}

}  // namespace

int RunPorts(const CtlOptions& options, Streams io) {
    if (!EditMap(options, io.err)) {
        return kFailure;
    }
    if (options.probe && !options.operands.empty()) {
        return ProbeNamed(options, io);
    }
    std::vector<DetectedPort> ports = DetectPorts();
    std::vector<ComEntry> entries = ComEntries();
    std::map<std::string, ProbeResult> results;
    if (options.probe) {
        Probe(ports, entries, results);
    }
    options.json ? PrintJson(io.out, ports, entries, results)
                 : PrintText(io.out, ports, entries, results);
    return kSuccess;
}

}  // namespace tavin::ctl
