#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ChildProcess.h"

// Debian's ser2net as a plain child process: it serves devices on fresh ports of the loopback
// address only, and is stopped by its pid when the object goes, also when a test fails.

namespace tavin::testing {

class Ser2netServer {
  public:
    struct Connection {
        std::string accepter;  // "tcp" or "telnet(rfc2217),tcp", with options if any
        std::string device;
        std::string line;  // ser2net's own line setting, such as "19200n82"
        // Pass each byte on at once rather than batching them (ser2net's chardelay).
        bool immediate = false;
    };

    // ser2net where Debian installs it, or "" when it is not installed.
    static std::string Program();

    // Starts `program` serving each connection on its own loopback port and waits until all
    // accept; throws std::runtime_error with ser2net's output when they do not within 5 s.
    Ser2netServer(const std::string& program, const std::vector<Connection>& connections);
    ~Ser2netServer();
    Ser2netServer(const Ser2netServer&) = delete;
    Ser2netServer& operator=(const Ser2netServer&) = delete;

    // The loopback port of the connection at `index`.
    int Port(size_t index) const { return ports_.at(index); }
    // "SCHEME://127.0.0.1:PORT" for the connection at `index`.
    std::string Address(const std::string& scheme, size_t index = 0) const;

    // Stops the server at once (idempotent): its ports then refuse.
    void Stop() { process_->Stop(); }
    const std::string& Output() { return process_->Output(); }

  private:
    std::string config_;
    std::vector<int> ports_;
    std::unique_ptr<ChildProcess> process_;
};

}  // namespace tavin::testing
