#pragma once

#include <chrono>
#include <memory>

#include "NetworkAddress.h"
#include "SerialDevice.h"

namespace tavin {

// How long the device waits for the network and the server.
struct NetworkTimeouts {
    // Name lookup and connection, with the tries again after a server closed during the setup.
    std::chrono::milliseconds connect{5000};
    // Each step of the com-port setup: the options, the line settings.
    std::chrono::milliseconds reply{3000};
    // The server's answer to a purge; a server that misses it once is not asked again.
    std::chrono::milliseconds purge{500};
};

// A serial port served across the network: through a telnet com-port server (RFC 2217), which
// also sets the remote line, or as raw bytes over TCP, where the server's line settings apply.
std::unique_ptr<SerialDevice> CreateNetworkSerialDevice(NetworkAddress address,
                                                        NetworkTimeouts timeouts = {});

}  // namespace tavin
