#pragma once

#include <memory>

#include "NetworkAddress.h"
#include "SerialDevice.h"

namespace tavin {

// A serial port served across the network: through a telnet com-port server (RFC 2217), which
// also sets the remote line, or as raw bytes over TCP, where the server's line settings apply.
std::unique_ptr<SerialDevice> CreateNetworkSerialDevice(NetworkAddress address);

}  // namespace tavin
