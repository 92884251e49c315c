#include "LinkTarget.h"

#include <charconv>

#include "DevicePaths.h"
#include "NetworkAddress.h"
#include "PortNames.h"

namespace tavin::ctl {

namespace {

constexpr std::string_view kLibraryPrefix = "library:";
constexpr int kHighestComPort = 10;

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (size_t i = 0; i < prefix.size(); ++i) {
        const char c = text[i];
        if ((c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c) != prefix[i]) {
            return false;
        }
    }
    return true;
}

// "COM3" (any case) as 3; 0 when the rest is no number; -1 when it is a number out of range.
int ComPortNumber(std::string_view word) {
    int port = 0;
    const char* end = word.data() + word.size();
    const auto [stop, error] = std::from_chars(word.data() + 3, end, port);
    if (error != std::errc() || stop != end || word.size() == 3) {
        return 0;
    }
    return port >= 1 && port <= kHighestComPort && word[3] != '0' ? port : -1;
}

std::string CheckNetworkAddress(std::string_view word) {
    const auto address = ParseNetworkAddress(word);
    if (!address) {
        return "is not a whole network address (rfc2217://HOST:PORT or tcp://HOST:PORT)";
    }
    int port = 0;
    const std::string& text = address->port;
    const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), port);
    if (error != std::errc() || stop != text.data() + text.size() || port < 1 || port > 65535) {
        return "has no port from 1 to 65535";
    }
    return "";
}

bool HasControlCharacter(std::string_view word) {
    for (const char c : word) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            return true;
        }
    }
    return false;
}

}  // namespace

std::optional<LinkTarget> ParseLinkTarget(std::string_view word, bool libraries,
                                          std::string& error) {
    const std::string quoted = "'" + std::string(word) + "'";
    if (HasControlCharacter(word)) {
        error = quoted + " holds a control character";
        return std::nullopt;
    }
    if (word.starts_with(kLibraryPrefix)) {
        if (!libraries) {
            error = quoted + ": a Camera Link library is not a serial port";
        } else if (word.size() == kLibraryPrefix.size()) {
            error = "library: takes the file name of a Camera Link serial library";
        } else {
            return LinkTarget{LinkTarget::Kind::kLibrary,
                              std::string(word.substr(kLibraryPrefix.size()))};
        }
        return std::nullopt;
    }
    if (IsNetworkAddress(word)) {
        if (std::string reason = CheckNetworkAddress(word); !reason.empty()) {
            error = quoted + " " + reason;
            return std::nullopt;
        }
        return LinkTarget{LinkTarget::Kind::kNetwork, std::string(word)};
    }
    if (StartsWithNoCase(word, "COM")) {
        if (const int port = ComPortNumber(word); port > 0) {
            return LinkTarget{LinkTarget::Kind::kComPort, "", port};
        } else if (port < 0) {
            error = quoted + ": the COM ports are COM1 to COM10";
            return std::nullopt;
        }
    }
    if (IsWrittenAsDevice(word)) {
        if (std::string reason = CheckDevicePath(word); !reason.empty()) {
            error = quoted + " " + reason;
            return std::nullopt;
        }
        return LinkTarget{LinkTarget::Kind::kDevice, std::string(word)};
    }
    error = quoted + " is neither a device path, COM1 to COM10, " +
            (libraries ? "library:FILE " : "") + "nor a network address";
    return std::nullopt;
}

std::string CheckMapDevice(std::string_view device) {
    if (HasControlCharacter(device)) {
        return "holds a control character";
    }
    if (IsNetworkAddress(device)) {
        return CheckNetworkAddress(device);
    }
    return CheckMapDevicePath(device);
}

std::string DeviceIdentity(const LinkOptions& link) {
    if (!link.library.empty()) {
        return "";
    }
    const std::string device = link.device.empty() ? ComPortDeviceName(link.port) : link.device;
    if (const auto address = ParseNetworkAddress(device)) {
        std::string host = address->host;
        for (char& c : host) {
            c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        }
        return host + ":" + address->port;
    }
    return LocalDeviceIdentity(device);
}

}  // namespace tavin::ctl
