// The network serial device through the real transport, against a scripted RFC 2217 server on
// loopback: how the server's answers, notifications and stale bytes reach the transport.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <thread>

#include "SerialPort.h"
#include "TelnetCodec.h"

namespace tavin {
namespace {

using Bytes = std::vector<uint8_t>;
using telnet::Event;

Bytes ComPort(uint8_t command, Bytes value) {
    Bytes out{0xFF, 0xFA, 0x2C, command};
    out.insert(out.end(), value.begin(), value.end());
    out.insert(out.end(), {0xFF, 0xF0});
    return out;
}

// One client at a time. It agrees to the com-port option and echoes every setting, unless
// `answer` (called for every event and data byte run from the client) says otherwise.
class ScriptedServer {
  public:
    // What to send back for an event (data bytes come as a kComPort event with command 0).
    using Script = std::function<Bytes(const Event&)>;

    explicit ScriptedServer(Script script) : script_(std::move(script)) {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        ::bind(listener_, reinterpret_cast<sockaddr*>(&address), length);
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        ::listen(listener_, 1);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }
    ~ScriptedServer() {
        ::shutdown(listener_, SHUT_RDWR);
        ::shutdown(client_, SHUT_RDWR);  // ends the thread's read also while a client holds on
        thread_.join();
        ::close(listener_);
        if (client_ >= 0) {
            ::close(client_);
        }
    }
    std::string Address() const { return "rfc2217://127.0.0.1:" + std::to_string(port_); }
    Bytes DataReceived() {
        std::lock_guard lock(mutex_);
        return data_;
    }

  private:
    void Serve() {
        const int client = ::accept(listener_, nullptr, nullptr);
        if (client < 0) {
            return;
        }
        client_ = client;
        telnet::Decoder decoder;
        uint8_t buffer[256];
        for (ssize_t n; (n = ::read(client, buffer, sizeof buffer)) > 0;) {
            Bytes data;
            std::vector<Event> events;
            decoder.Feed({buffer, static_cast<size_t>(n)}, data, events);
            Bytes reply;
            for (const Event& event : events) {
                const Bytes answer = script_(event);
                reply.insert(reply.end(), answer.begin(), answer.end());
            }
            if (!data.empty()) {
                std::lock_guard lock(mutex_);
                data_.insert(data_.end(), data.begin(), data.end());
                const Bytes answer = script_({.kind = Event::Kind::kComPort,
                                              .verb = 0,
                                              .option = 0,
                                              .command = 0,
                                              .value = data,
                                              .dataBefore = 0});
                reply.insert(reply.end(), answer.begin(), answer.end());
            }
            if (!reply.empty() && ::write(client, reply.data(), reply.size()) < 0) {
                break;
            }
        }
    }

    Script script_;
    int listener_ = -1;
    std::atomic<int> client_ = -1;
    int port_ = 0;
    std::thread thread_;
    std::mutex mutex_;
    Bytes data_;
};

// A well-behaved server's answer; data gets none.
Bytes Agree(const Event& event) {
    if (event.kind == Event::Kind::kNegotiation) {
        return event.verb == telnet::kWill && event.option == telnet::kOptionComPort
                   ? Bytes{0xFF, telnet::kDo, telnet::kOptionComPort}
                   : Bytes{};
    }
    return event.command == 0 ? Bytes{} : ComPort(event.command + 100, event.value);
}

class NetworkSerialDevice : public ::testing::Test {
  protected:
    int32_t Open(const ScriptedServer& server) {
        ::setenv("TAVIN_COM1", server.Address().c_str(), 1);
        return port_.Open(1, 19200, 8, SerialPort::kTwoStopBits, 0);
    }
    void TearDown() override {
        port_.Close();
        ::unsetenv("TAVIN_COM1");
    }
    SerialPort port_;
};

TEST_F(NetworkSerialDevice, LineStateNotificationsFailTheReadAsLocalLineErrorsDo) {
    const struct {
        uint8_t lineState;
        int32_t code;
    } cases[] = {
        {telnet::kLineOverrun, CommStatus::kOverrun},
        {telnet::kLineParity, CommStatus::kRxParity},
        {telnet::kLineFraming, CommStatus::kFraming},
        {telnet::kLineBreak, CommStatus::kBreak},
    };
    for (const auto& c : cases) {
        ScriptedServer server([&c](const Event& event) {
            return event.kind == Event::Kind::kComPort && event.command == 0
                       ? ComPort(telnet::kNotifyLineState + 100, {c.lineState})
                       : Agree(event);
        });
        ASSERT_EQ(Open(server), 0);
        const uint8_t enq = 0x05;
        ASSERT_EQ(port_.Write(&enq, 1, 1000), 1);
        uint8_t reply = 0;
        EXPECT_EQ(port_.Read(&reply, 1, 100), -c.code) << int(c.lineState);
        port_.Close();
    }
}

TEST_F(NetworkSerialDevice, PurgeDropsWhatTheServerSentBeforeItsAnswer) {
    ScriptedServer server([](const Event& event) {
        if (event.kind == Event::Kind::kComPort && event.command == telnet::kPurgeData) {
            Bytes out{'s', 't', 'a', 'l', 'e'};
            const Bytes answer = ComPort(telnet::kPurgeData + 100, event.value);
            out.insert(out.end(), answer.begin(), answer.end());
            out.push_back(0x06);
            return out;
        }
        return Agree(event);
    });
    ASSERT_EQ(Open(server), 0);
    ASSERT_EQ(port_.Purge(SerialPort::kPurgeTxClear | SerialPort::kPurgeRxClear), 0);
    uint8_t reply = 0;
    ASSERT_EQ(port_.Read(&reply, 1, 1000), 1);
    EXPECT_EQ(reply, 0x06);
}

TEST_F(NetworkSerialDevice, IacIsEscapedBothWays) {
    ScriptedServer server([](const Event& event) {
        return event.kind == Event::Kind::kComPort && event.command == 0 ? Bytes{0xFF, 0xFF, 0x7E}
                                                                         : Agree(event);
    });
    ASSERT_EQ(Open(server), 0);
    const uint8_t sent[] = {0x02, 0xFF, 0x03};
    ASSERT_EQ(port_.Write(sent, 3, 1000), 3);
    uint8_t got[2] = {};
    ASSERT_EQ(port_.Read(got, 2, 1000), 2);
    EXPECT_EQ(Bytes(got, got + 2), (Bytes{0xFF, 0x7E}));
    EXPECT_EQ(server.DataReceived(), (Bytes{0x02, 0xFF, 0x03}));
}

TEST_F(NetworkSerialDevice, ARefusedLineOrOptionLeavesThePortUnusable) {
    const std::function<Bytes(const Event&)> refusals[] = {
        [](const Event& event) {  // keeps its own baud rate
            return event.kind == Event::Kind::kComPort && event.command == telnet::kSetBaudRate
                       ? ComPort(telnet::kSetBaudRate + 100, telnet::BaudRateValue(9600))
                       : Agree(event);
        },
        [](const Event& event) {  // no com-port control at all
            return event.kind == Event::Kind::kNegotiation && event.option == 44
                       ? Bytes{0xFF, telnet::kDont, 44}
                       : Bytes{};
        },
    };
    for (const auto& refusal : refusals) {
        ScriptedServer server(refusal);
        EXPECT_EQ(Open(server), -CommStatus::kTimeOut);
        port_.Close();
    }
}

}  // namespace
}  // namespace tavin
