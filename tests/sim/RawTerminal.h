#pragma once

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

// The host end of a pseudo-terminal, bare: enough to talk to the simulated camera without the
// program's own link code.

namespace tavin::sim::test {

class RawTerminal {
  public:
    explicit RawTerminal(const std::string& path)
        : fd_(open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC)) {
        if (fd_ >= 0) {
            termios tio{};
            tcgetattr(fd_, &tio);
            cfmakeraw(&tio);
            tcsetattr(fd_, TCSANOW, &tio);
        }
    }
    ~RawTerminal() {
        if (fd_ >= 0) {
            close(fd_);
        }
    }
    RawTerminal(const RawTerminal&) = delete;
    RawTerminal& operator=(const RawTerminal&) = delete;

    bool IsOpen() const { return fd_ >= 0; }

    bool Write(const std::vector<uint8_t>& bytes) {
        return write(fd_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }

    // Up to `count` bytes, waiting at most `timeout` in all; fewer on time-out or hang-up.
    std::vector<uint8_t> Read(size_t count, std::chrono::milliseconds timeout) {
        std::vector<uint8_t> bytes;
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (bytes.size() < count) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd pfd{fd_, POLLIN, 0};
            if (left.count() <= 0 || poll(&pfd, 1, static_cast<int>(left.count())) <= 0) {
                break;
            }
            uint8_t buffer[64];
            const ssize_t n = read(fd_, buffer, std::min(sizeof buffer, count - bytes.size()));
            if (n <= 0) {
                hungUp_ = true;
                break;
            }
            bytes.insert(bytes.end(), buffer, buffer + n);
        }
        return bytes;
    }

    bool SawHangUp() const { return hungUp_; }

  private:
    int fd_;
    bool hungUp_ = false;
};

}  // namespace tavin::sim::test
