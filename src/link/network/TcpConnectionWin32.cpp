// The TCP connection on Windows: Winsock, non-blocking, with every wait in select(). As its
// POSIX twin: the name lookup runs on a thread of its own and is abandoned at the deadline, each
// of the host's addresses is tried in turn, and small frames leave at once (TCP_NODELAY).
//
// The header keeps the socket in an int. Winsock's SOCKET is a kernel handle, and Windows keeps
// handles within 32 bits so that 32-bit and 64-bit programs can share them: the value survives
// the round trip, sign-extended back.
#include <winsock2.h>
// After winsock2.h:
#include <ws2tcpip.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <optional>
#include <vector>

#include "CallWithDeadline.h"
#include "SystemErrorText.h"
#include "TcpConnection.h"

namespace tavin {

namespace {

using Clock = TcpConnection::Clock;
constexpr auto kSlice = std::chrono::milliseconds(50);

SOCKET SocketOf(int stored) {
    return static_cast<SOCKET>(static_cast<intptr_t>(stored));
}

// Winsock is started once for the life of the process; a failure shows in the first call.
void StartWinsock() {
    static const bool started = [] {
        WSADATA data{};
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    (void)started;
}

// The system's text for a Winsock error, as a reason inside a sentence: without its full stop.
std::string SystemMessage(int code) {
    std::string message = SystemErrorText(static_cast<unsigned long>(code));
    while (!message.empty() && message.back() == '.') {
        message.pop_back();
    }
    return message;
}

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
    int length = 0;
};

struct Lookup {
    int error = 0;  // getaddrinfo's, a Winsock error code
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
        Address address{entry->ai_family,
                        entry->ai_socktype,
                        entry->ai_protocol,
                        {},
                        static_cast<int>(entry->ai_addrlen)};
        std::memcpy(&address.storage, entry->ai_addr,
                    std::min<size_t>(entry->ai_addrlen, sizeof address.storage));
        lookup.addresses.push_back(address);
    }
    if (found) {
        ::freeaddrinfo(found);
    }
    return lookup;
}

// Waits up to `timeoutMs` for `socket` to be readable (or writable); a failed connect and an
// error on the connection show as exceptional. select()'s result: 0 on time-out.
int Select(SOCKET socket, bool forWriting, int timeoutMs, bool& failed) {
    fd_set ready;
    fd_set failures;
    FD_ZERO(&ready);
    FD_ZERO(&failures);
    FD_SET(socket, &ready);
    FD_SET(socket, &failures);
    timeval timeout{};
    timeout.tv_sec = timeoutMs / 1000;
    timeout.tv_usec = (timeoutMs % 1000) * 1000;
    const int count = ::select(0, forWriting ? nullptr : &ready, forWriting ? &ready : nullptr,
                               &failures, &timeout);
    failed = count == SOCKET_ERROR || (count > 0 && FD_ISSET(socket, &failures));
    return count;
}

// Connects `socket` (non-blocking) to `address` before `deadline`; 0 or a Winsock error code.
int ConnectBefore(SOCKET socket, const Address& address, Clock::time_point deadline,
                  const std::function<void()>& whileWaiting) {
    if (::connect(socket, reinterpret_cast<const sockaddr*>(&address.storage), address.length) ==
        0) {
        return 0;
    }
    if (const int error = WSAGetLastError(); error != WSAEWOULDBLOCK) {
        return error;
    }
    for (;;) {
        bool failed = false;
        const int ready = Select(socket, true, MsUntil(deadline), failed);
        if (ready == SOCKET_ERROR) {
            return WSAGetLastError();
        }
        if (ready > 0) {
            break;
        }
        if (Clock::now() >= deadline) {
            return WSAETIMEDOUT;
        }
        if (whileWaiting) {
            whileWaiting();
        }
    }
    int error = 0;
    int length = sizeof error;
    if (::getsockopt(socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length) != 0) {
        return WSAGetLastError();
    }
    return error;
}

}  // namespace

bool TcpConnection::Connect(const std::string& host, const std::string& port,
                            Clock::time_point deadline, const std::function<void()>& whileWaiting,
                            std::string& reason) {
    Close();
    StartWinsock();
    // The system's lookup cannot be bounded or cancelled: it runs on a thread of its own,
    // abandoned at the deadline.
    const std::optional<Lookup> lookup = CallWithDeadline<Lookup>(
        [host, port] { return LookUp(host, port); }, deadline, whileWaiting);
    if (!lookup) {
        reason = "looking up " + host + " took too long";
        return false;
    }
    if (lookup->error != 0) {
        reason = SystemMessage(lookup->error);
        return false;
    }
    int lastError = WSAETIMEDOUT;
    for (const Address& address : lookup->addresses) {
        // Not inherited: the link processes this program starts must not hold a connection of
        // their parent's open.
        const SOCKET socket = ::WSASocketW(address.family, address.type, address.protocol, nullptr,
                                           0, WSA_FLAG_NO_HANDLE_INHERIT);
        if (socket == INVALID_SOCKET) {
            lastError = WSAGetLastError();
            continue;
        }
        u_long nonBlocking = 1;
        ::ioctlsocket(socket, FIONBIO, &nonBlocking);
        lastError = ConnectBefore(socket, address, deadline, whileWaiting);
        if (lastError == 0) {
            // Small frames must leave at once: the camera answers each one before the next.
            const BOOL on = TRUE;
            ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on),
                         sizeof on);
            fd_ = static_cast<int>(static_cast<intptr_t>(socket));
            return true;
        }
        ::closesocket(socket);
    }
    reason = SystemMessage(lastError);
    return false;
}

void TcpConnection::Close() {
    if (fd_ >= 0) {
        ::closesocket(SocketOf(fd_));
        fd_ = -1;
    }
}

long TcpConnection::Send(const uint8_t* bytes, size_t count) {
    const int chunk = static_cast<int>(std::min<size_t>(count, 1 << 30));
    const int sent = ::send(SocketOf(fd_), reinterpret_cast<const char*>(bytes), chunk, 0);
    if (sent >= 0) {
        return sent;
    }
    return WSAGetLastError() == WSAEWOULDBLOCK ? 0 : -1;
}

long TcpConnection::Receive(uint8_t* bytes, size_t count) {
    const int chunk = static_cast<int>(std::min<size_t>(count, 1 << 30));
    const int got = ::recv(SocketOf(fd_), reinterpret_cast<char*>(bytes), chunk, 0);
    if (got > 0) {
        return got;
    }
    if (got == 0) {
        return -1;  // the peer closed the connection
    }
    return WSAGetLastError() == WSAEWOULDBLOCK ? 0 : -1;
}

TcpConnection::Ready TcpConnection::Wait(bool forWriting, int timeoutMs) {
    bool failed = false;
    const int ready = Select(SocketOf(fd_), forWriting, std::max(timeoutMs, 0), failed);
    if (ready == 0) {
        return Ready::kTimedOut;
    }
    // A peer that closed shows as readable; the read that follows finds it out.
    return failed ? Ready::kLost : Ready::kReady;
}

}  // namespace tavin
