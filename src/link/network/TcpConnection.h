#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

// A non-blocking TCP connection with bounded waits, for the network serial device. One file per
// OS implements it (TcpConnectionPosix.cpp, TcpConnectionWin32.cpp).

namespace tavin {

class TcpConnection {
  public:
    using Clock = std::chrono::steady_clock;
    enum class Ready { kReady, kTimedOut, kLost };

    TcpConnection() = default;
    ~TcpConnection() { Close(); }
    TcpConnection(const TcpConnection&) = delete;
    TcpConnection& operator=(const TcpConnection&) = delete;

    // Looks `host` up and connects to the first of its addresses that answers, the lookup
    // included, before `deadline`; calls `whileWaiting` (may be empty) every ~50 ms meanwhile.
    // On failure returns false with the reason in `reason`.
    bool Connect(const std::string& host, const std::string& port, Clock::time_point deadline,
                 const std::function<void()>& whileWaiting, std::string& reason);
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
