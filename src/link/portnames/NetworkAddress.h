#pragma once

#include <optional>
#include <string>
#include <string_view>

// A serial port across the network, as users write it in place of a device path:
// "rfc2217://HOST:PORT" (a telnet com-port server) or "tcp://HOST:PORT" (raw bytes).

namespace tavin {

struct NetworkAddress {
    enum class Kind { kRfc2217, kTcp };
    Kind kind = Kind::kTcp;
    std::string host;  // a name, an IPv4 address, or an IPv6 address without its brackets
    std::string port;  // a number or a service name, as the resolver takes it
};

// Whether `name` is meant as a network address (it has one of the two schemes).
bool IsNetworkAddress(std::string_view name);

// The address, or nothing when the scheme is not ours or host or port is missing.
std::optional<NetworkAddress> ParseNetworkAddress(std::string_view name);

}  // namespace tavin
