#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// A non-blocking TCP connection with bounded waits, for the network serial device. POSIX.

namespace tavin {

class TcpConnection {
  public:
    enum class Ready { kReady, kTimedOut, kLost };

    TcpConnection() = default;
    ~TcpConnection() { Close(); }
    TcpConnection(const TcpConnection&) = delete;
    TcpConnection& operator=(const TcpConnection&) = delete;

    // Resolves `host` and connects to the first address that answers within `timeoutMs`. On
    // failure returns false with the reason in `reason`.
    bool Connect(const std::string& host, const std::string& port, int timeoutMs,
                 std::string& reason);
    void Close();
    bool IsOpen() const { return fd_ >= 0; }

    // Bytes the kernel took (0 when its buffer is full), or -1 when the connection is gone.
    long Send(const uint8_t* bytes, size_t count);
    // Bytes read (0 when none are there), or -1 when the peer closed or the connection broke.
    long Receive(uint8_t* bytes, size_t count);
    // Waits until the connection can be read (or written) or `timeoutMs` passes.
    Ready Wait(bool forWriting, int timeoutMs);

  private:
    int fd_ = -1;
};

}  // namespace tavin
