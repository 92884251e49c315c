#pragma once

// Loopback ports for the servers the tests start.

namespace tavin::testing {

// A loopback port nobody listens on now; throws std::runtime_error when there is none.
int FreeLoopbackPort();

// Whether something accepts connections on the loopback port.
bool LoopbackAccepts(int port);

}  // namespace tavin::testing
