#include "ScriptedServer.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <span>

#include "VirtualCamera.h"

namespace tavin::testing {

using telnet::Event;

Bytes ComPort(uint8_t command, Bytes value) {
    Bytes out{telnet::kIac, telnet::kSb, telnet::kOptionComPort, command};
    out.insert(out.end(), value.begin(), value.end());
    out.insert(out.end(), {telnet::kIac, telnet::kSe});
    return out;
}

ScriptedServer::Answer Agree(const Event& event) {
    if (event.kind == Event::Kind::kNegotiation) {
        // Binary and no go-aheads both ways, and the client controls the com port.
        const uint8_t option = event.option;
        const bool known = option == telnet::kOptionBinary ||
                           option == telnet::kOptionSuppressGoAhead ||
                           (option == telnet::kOptionComPort && event.verb == telnet::kWill);
        if (known && event.verb == telnet::kWill) {
            return Bytes{telnet::kIac, telnet::kDo, option};
        }
        return known && event.verb == telnet::kDo ? Bytes{telnet::kIac, telnet::kWill, option}
                                                  : Bytes{};
    }
    return event.command == 0 ? Bytes{} : ComPort(event.command + 100, event.value);
}

ScriptedServer::ScriptedServer(Script script, Options options)
    : script_(std::move(script)), options_(std::move(options)) {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(listener_, reinterpret_cast<sockaddr*>(&address), length);
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    ::listen(listener_, 4);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Serve(); });
}

ScriptedServer::~ScriptedServer() {
    stopping_ = true;
    ::shutdown(listener_, SHUT_RDWR);
    ::shutdown(client_, SHUT_RDWR);  // ends a conversation also while a client holds on
    thread_.join();
    ::close(listener_);
}

Bytes ScriptedServer::DataReceived() {
    std::lock_guard lock(mutex_);
    return data_;
}

std::vector<Event> ScriptedServer::EventsReceived() {
    std::lock_guard lock(mutex_);
    return events_;
}

void ScriptedServer::Serve() {
    // The camera's bytes go out when the wait ends; the default timer slack would make them late.
    prctl(PR_SET_TIMERSLACK, 1UL);
    while (!stopping_) {
        const int client = ::accept4(listener_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (client < 0) {
            return;
        }
        ++connections_;
        // A serial server passes each byte on at once, as ser2net with nodelay does.
        const int on = 1;
        ::setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        client_ = client;
        Converse(client);
        client_ = -1;
        ::close(client);
    }
}

void ScriptedServer::Converse(int client) {
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    const auto now = [start] { return sim::SimTime(Clock::now() - start); };
    std::optional<sim::VirtualCamera> camera;
    if (options_.camera) {
        camera.emplace();
        camera->SetPacing({.baud = 19200, .turnaround = {}});
    }
    telnet::Decoder decoder;
    Bytes unsent = options_.greeting;
    // A flood goes out of one big block, as fast as the kernel takes it: the client must not be
    // able to keep up.
    Bytes flood;
    size_t floodAt = 0;
    bool hangUp = false;
    const auto take = [&](const Answer& answer) {
        unsent.insert(unsent.end(), answer.reply.begin(), answer.reply.end());
        hangUp = hangUp || answer.close;
        if (!answer.flood.empty() && flood.empty()) {
            while (flood.size() < 256 * 1024) {
                flood.insert(flood.end(), answer.flood.begin(), answer.flood.end());
            }
        }
    };
    uint8_t buffer[4096];
    while (!stopping_) {
        if (camera) {
            Bytes out;
            telnet::AppendEscaped(out, camera->Advance(now()).bytes);
            unsent.insert(unsent.end(), out.begin(), out.end());
        }
        const bool flooding = unsent.empty() && !flood.empty();
        const std::span<const uint8_t> out =
            flooding ? std::span(flood).subspan(floodAt) : std::span<const uint8_t>(unsent);
        if (!out.empty()) {
            const ssize_t sent = ::send(client, out.data(), out.size(), MSG_NOSIGNAL);
            if (sent < 0 && errno != EAGAIN && errno != EINTR) {
                return;
            }
            const auto taken = static_cast<size_t>(std::max<ssize_t>(sent, 0));
            if (flooding) {
                floodAt = (floodAt + taken) % flood.size();
            } else {
                unsent.erase(unsent.begin(), unsent.begin() + static_cast<long>(taken));
            }
        }
        if (hangUp && unsent.empty()) {
            // Closing with the client's bytes unread would reset the connection and lose what
            // was sent to it: take them first.
            ::shutdown(client, SHUT_WR);
            pollfd entry{client, POLLIN, 0};
            while (::poll(&entry, 1, 1000) > 0 && ::recv(client, buffer, sizeof buffer, 0) > 0) {
            }
            return;
        }
        timespec wait{0, 100'000'000};  // a look at stopping_ now and then
        if (const auto next = camera ? camera->NextEventTime() : std::nullopt) {
            const auto delay = std::clamp(*next - now(), sim::SimTime::zero(),
                                          sim::SimTime(std::chrono::milliseconds(100)));
            wait = {0, static_cast<long>(delay.count())};
        }
        const bool writing = !unsent.empty() || !flood.empty();
        pollfd entry{client, static_cast<short>(POLLIN | (writing ? POLLOUT : 0)), 0};
        if (::ppoll(&entry, 1, &wait, nullptr) <= 0 || (entry.revents & POLLIN) == 0) {
            continue;
        }
        const ssize_t got = ::recv(client, buffer, sizeof buffer, 0);
        if (got == 0 || (got < 0 && errno != EAGAIN && errno != EINTR)) {
            return;
        }
        Bytes data;
        std::vector<Event> events;
        decoder.Feed({buffer, static_cast<size_t>(std::max<ssize_t>(got, 0))}, data, events);
        {
            std::lock_guard lock(mutex_);
            data_.insert(data_.end(), data.begin(), data.end());
            events_.insert(events_.end(), events.begin(), events.end());
        }
        for (const Event& event : events) {
            take(script_(event));
        }
        if (!data.empty()) {
            if (camera) {
                camera->FromHost(data, now());
            }
            take(script_({.kind = Event::Kind::kComPort,
                          .verb = 0,
                          .option = 0,
                          .command = 0,
                          .value = data,
                          .dataBefore = 0}));
        }
    }
}

}  // namespace tavin::testing
