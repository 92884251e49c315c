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
#include <optional>
#include <vector>

#include "CallWithDeadline.h"

namespace tavin {

namespace {

using Clock = TcpConnection::Clock;
constexpr auto kSlice = std::chrono::milliseconds(50);

int MsUntil(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, kSlice.count()));
}

// One address of a host, copied out of the resolver's list so it can outlive the lookup.
struct Address {
    int family = 0;
    int type = 0;
    int protocol = 0;
    sockaddr_storage storage{};
    socklen_t length = 0;
};

struct Lookup {
    int error = 0;  // getaddrinfo's
    std::vector<Address> addresses;
};

Lookup LookUp(const std::string& host, const std::string& port) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    Lookup lookup;
    lookup.error = ::getaddrinfo(host.c_str(), port.c_str(), &hints, &found);
    for (const addrinfo* entry = lookup.error == 0 ? found : nullptr; entry;
         entry = entry->ai_next) {
        Address address{
            entry->ai_family, entry->ai_socktype, entry->ai_protocol, {}, entry->ai_addrlen};
        std::memcpy(&address.storage, entry->ai_addr,
                    std::min<size_t>(entry->ai_addrlen, sizeof address.storage));
        lookup.addresses.push_back(address);
    }
    if (found) {
        ::freeaddrinfo(found);
    }
    return lookup;
}

// Connects `fd` (non-blocking) to `address` before `deadline`; 0 or an errno value.
int ConnectBefore(int fd, const Address& address, Clock::time_point deadline,
                  const std::function<void()>& whileWaiting) {
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address.storage), address.length) == 0) {
        return 0;
    }
    if (errno != EINPROGRESS) {
        return errno;
    }
    for (;;) {
        pollfd entry{fd, POLLOUT, 0};
        const int ready = ::poll(&entry, 1, MsUntil(deadline));
        if (ready < 0 && errno != EINTR) {
            return errno;
        }
        if (ready > 0) {
            break;
        }
        if (Clock::now() >= deadline) {
            return ETIMEDOUT;
        }
        if (whileWaiting) {
            whileWaiting();
        }
    }
    int error = 0;
    socklen_t length = sizeof error;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0) {
        return errno;
    }
    return error;
}

}  // namespace

bool TcpConnection::Connect(const std::string& host, const std::string& port,
                            Clock::time_point deadline, const std::function<void()>& whileWaiting,
                            std::string& reason) {
    Close();
    // The system's lookup cannot be bounded or cancelled (a silent name server holds it for
    // 10 s and more): it runs on a thread of its own, abandoned at the deadline.
    const std::optional<Lookup> lookup = CallWithDeadline<Lookup>(
        [host, port] { return LookUp(host, port); }, deadline, whileWaiting);
    if (!lookup) {
        reason = "looking up " + host + " took too long";
        return false;
    }
    if (lookup->error != 0) {
        reason = ::gai_strerror(lookup->error);
        return false;
    }
    int lastError = ETIMEDOUT;
    for (const Address& address : lookup->addresses) {
        const int fd =
            ::socket(address.family, address.type | SOCK_NONBLOCK | SOCK_CLOEXEC, address.protocol);
        if (fd < 0) {
            lastError = errno;
            continue;
        }
        lastError = ConnectBefore(fd, address, deadline, whileWaiting);
        if (lastError == 0) {
            // Small frames must leave at once: the camera answers each one before the next.
            const int on = 1;
            ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
            fd_ = fd;
            return true;
        }
        ::close(fd);
    }
    reason = std::strerror(lastError);
    return false;
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
