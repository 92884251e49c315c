#include "TcpConnection.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace tavin {

namespace {

// Connects `fd` (non-blocking) to `address` within `timeoutMs`; 0 or an errno value.
int ConnectWithin(int fd, const addrinfo& address, int timeoutMs) {
    if (::connect(fd, address.ai_addr, address.ai_addrlen) == 0) {
        return 0;
    }
    if (errno != EINPROGRESS) {
        return errno;
    }
    pollfd entry{fd, POLLOUT, 0};
    const int ready = ::poll(&entry, 1, timeoutMs);
    if (ready == 0) {
        return ETIMEDOUT;
    }
    if (ready < 0) {
        return errno;
    }
    int error = 0;
    socklen_t length = sizeof error;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0) {
        return errno;
    }
    return error;
}

}  // namespace

bool TcpConnection::Connect(const std::string& host, const std::string& port, int timeoutMs,
                            std::string& reason) {
    Close();
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (const int error = ::getaddrinfo(host.c_str(), port.c_str(), &hints, &found); error != 0) {
        reason = ::gai_strerror(error);
        return false;
    }
    using namespace std::chrono;
    const auto deadline = steady_clock::now() + milliseconds(timeoutMs);
    int lastError = ETIMEDOUT;
    for (const addrinfo* address = found; address; address = address->ai_next) {
        const int fd =
            ::socket(address->ai_family, address->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                     address->ai_protocol);
        if (fd < 0) {
            lastError = errno;
            continue;
        }
        const auto left = duration_cast<milliseconds>(deadline - steady_clock::now()).count();
        lastError = ConnectWithin(fd, *address, static_cast<int>(std::max<long>(left, 0)));
        if (lastError == 0) {
            // Small frames must leave at once: the camera answers each one before the next.
            const int on = 1;
            ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
            fd_ = fd;
            break;
        }
        ::close(fd);
    }
    ::freeaddrinfo(found);
    if (fd_ < 0) {
        reason = std::strerror(lastError);
        return false;
    }
    return true;
}

void TcpConnection::Close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

long TcpConnection::Send(const uint8_t* bytes, size_t count) {
    const ssize_t sent = ::send(fd_, bytes, count, MSG_NOSIGNAL);
    if (sent >= 0) {
        return sent;
    }
    return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR ? 0 : -1;
}

long TcpConnection::Receive(uint8_t* bytes, size_t count) {
    const ssize_t got = ::recv(fd_, bytes, count, 0);
    if (got > 0) {
        return got;
    }
    if (got == 0) {
        return -1;  // the peer closed the connection
    }
    return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR ? 0 : -1;
}

TcpConnection::Ready TcpConnection::Wait(bool forWriting, int timeoutMs) {
    pollfd entry{fd_, static_cast<short>(forWriting ? POLLOUT : POLLIN), 0};
    const int ready = ::poll(&entry, 1, std::max(timeoutMs, 0));
    if (ready == 0 || (ready < 0 && errno == EINTR)) {
        return Ready::kTimedOut;
    }
    if (ready < 0 || (entry.revents & (POLLERR | POLLNVAL)) != 0) {
        return Ready::kLost;
    }
    // A peer that closed shows as readable (or hung up); the read that follows finds it out.
    return Ready::kReady;
}

}  // namespace tavin
