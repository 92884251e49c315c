#pragma once

#include <sys/types.h>

#include <string>

// Debian's ser2net serving a pseudo-terminal over RFC 2217 on a free loopback port, as a plain
// child process stopped by its pid.

namespace tavin::bench {

class Ser2netServer {
  public:
    // Whether ser2net is installed (the scenario is skipped otherwise).
    static bool Available();

    // Serves `device` and waits until the port accepts; throws std::runtime_error on failure.
    explicit Ser2netServer(const std::string& device);
    ~Ser2netServer();
    Ser2netServer(const Ser2netServer&) = delete;
    Ser2netServer& operator=(const Ser2netServer&) = delete;

    // rfc2217://127.0.0.1:PORT
    const std::string& Address() const { return address_; }

  private:
    pid_t pid_ = -1;
    std::string config_;
    std::string address_;
};

}  // namespace tavin::bench
