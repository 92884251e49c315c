#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "TelnetCodec.h"

// A telnet com-port server in this process, on a loopback port, that does what a test's script
// says: answer well, answer wrongly or late, flood, hang up. It serves one client at a time, and
// the next one when the first has gone.

namespace tavin::testing {

using Bytes = std::vector<uint8_t>;

// IAC SB COM-PORT-OPTION `command` `value` IAC SE.
Bytes ComPort(uint8_t command, Bytes value);

struct ScriptedServerOptions {
    Bytes greeting;  // sent as soon as a client connects
    // The serial line leads to a simulated camera at 19200 baud: data goes to it, and what it
    // sends back comes to the client.
    bool camera = false;
};

class ScriptedServer {
  public:
    // What the server does about one thing the client sent.
    struct Answer {
        Answer(Bytes bytes = {}) : reply(std::move(bytes)) {}  // a reply alone: not explicit
        Bytes reply;
        bool close = false;  // then hangs up
        Bytes flood;         // then sends this over and over, as fast as the client takes it
    };
    // Called for every telnet event from the client, and for every run of data bytes (a kComPort
    // event with command 0).
    using Script = std::function<Answer(const telnet::Event&)>;

    using Options = ScriptedServerOptions;

    explicit ScriptedServer(Script script, Options options = {});
    ~ScriptedServer();
    ScriptedServer(const ScriptedServer&) = delete;
    ScriptedServer& operator=(const ScriptedServer&) = delete;

    std::string Address() const { return "rfc2217://127.0.0.1:" + std::to_string(port_); }
    // The data bytes and the telnet events received from all clients so far.
    Bytes DataReceived();
    std::vector<telnet::Event> EventsReceived();
    int Connections() const { return connections_; }

  private:
    void Serve();
    void Converse(int client);

    Script script_;
    Options options_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<int> client_ = -1;
    std::atomic<bool> stopping_ = false;
    std::atomic<int> connections_ = 0;
    std::mutex mutex_;
    Bytes data_;
    std::vector<telnet::Event> events_;
    std::thread thread_;
};

// A well-behaved server's answer: binary both ways, the com-port option, and every setting
// echoed.
ScriptedServer::Answer Agree(const telnet::Event& event);

}  // namespace tavin::testing
