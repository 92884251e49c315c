#include "NetworkAddress.h"

namespace tavin {

namespace {
constexpr std::string_view kRfc2217Scheme = "rfc2217://";
constexpr std::string_view kTcpScheme = "tcp://";
}  // namespace

bool IsNetworkAddress(std::string_view name) {
    return name.starts_with(kRfc2217Scheme) || name.starts_with(kTcpScheme);
}

std::optional<NetworkAddress> ParseNetworkAddress(std::string_view name) {
    NetworkAddress address;
    if (name.starts_with(kRfc2217Scheme)) {
        address.kind = NetworkAddress::Kind::kRfc2217;
        name.remove_prefix(kRfc2217Scheme.size());
    } else if (name.starts_with(kTcpScheme)) {
        name.remove_prefix(kTcpScheme.size());
    } else {
        return std::nullopt;
    }
    if (name.ends_with('/')) {
        name.remove_suffix(1);
    }
    size_t colon;
    if (name.starts_with('[')) {  // [IPv6]:PORT
        const size_t close = name.find(']');
        if (close == std::string_view::npos || close + 1 >= name.size() || name[close + 1] != ':') {
            return std::nullopt;
        }
        address.host = name.substr(1, close - 1);
        colon = close + 1;
    } else {
        colon = name.rfind(':');
        if (colon == std::string_view::npos) {
            return std::nullopt;
        }
        address.host = name.substr(0, colon);
        if (address.host.find(':') != std::string::npos) {
            return std::nullopt;  // an IPv6 address needs its brackets
        }
    }
    address.port = name.substr(colon + 1);
    if (address.host.empty() || address.port.empty() ||
        address.port.find_first_of("/:") != std::string::npos) {
        return std::nullopt;
    }
    return address;
}

}  // namespace tavin
