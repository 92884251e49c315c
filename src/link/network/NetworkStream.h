#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "TcpConnection.h"
#include "TelnetCodec.h"
#include "TelnetOptions.h"

// The two byte streams of a serial port across the network: raw over TCP, or telnet with the
// com-port option, whose commands are answered here as they arrive. Both queues are bounded, and
// nothing here waits beyond the deadline it is given, whatever the server sends.

namespace tavin {

class NetworkStream {
  public:
    using Clock = std::chrono::steady_clock;
    // Called every ~50 ms while a wait lasts longer, so that a window can repaint (may be empty).
    using WhileWaiting = std::function<void()>;

    enum class Health {
        kGood,
        kClosed,  // the server closed the connection, or it broke
        kBroken,  // the server broke the protocol; nothing it sends can be trusted any more
    };

    // Received bytes nobody has read yet; a server that floods faster overruns them.
    static constexpr size_t kInputLimit = 65536;
    // Bytes for the server that it has not taken yet. Data is held to a fraction of it (the
    // device's own limit); the rest is room for answers, which the negotiation keeps few.
    static constexpr size_t kOutputLimit = 16384;

    // `telnet`: the com-port protocol, else raw bytes. `report` is told each failure once.
    NetworkStream(bool telnet, std::function<void(const std::string&)> report);

    bool Connect(const std::string& host, const std::string& port, Clock::time_point deadline,
                 const WhileWaiting& whileWaiting, std::string& reason);
    // Closes the connection and forgets everything of it.
    void Close();
    bool IsOpen() const { return connection_.IsOpen(); }
    bool IsTelnet() const { return telnet_; }
    Health GetHealth() const { return health_; }
    const std::string& BrokenBecause() const { return brokenBecause_; }

    // Queues data for the server (escaped for telnet) and hands out what the kernel takes.
    void SendData(std::span<const uint8_t> data);
    // Drops the bytes the kernel has not taken yet; raw streams only, as telnet's queue may end
    // inside a command.
    void DropUnsent() { out_.clear(); }
    // Queues a com-port request.
    void SendComPort(uint8_t command, std::span<const uint8_t> value);
    // Option negotiation (telnet only): asks to perform `option`, or that the server does; the
    // request goes with the next Flush.
    void Offer(uint8_t option);
    void Request(uint8_t option);
    const telnet::OptionNegotiator& Options() const { return options_; }
    // Outside binary mode, CRs travel as the network virtual terminal has them.
    void SetBinary(bool toServer, bool fromServer);

    // Hands queued bytes to the kernel, as many as it takes now.
    void Flush();
    // Takes in a bounded amount of what has arrived, answering the server's requests at once,
    // without waiting.
    void Pump();
    // Waits (at most until `deadline`) for something to arrive; false when nothing did.
    bool AwaitInput(Clock::time_point deadline);
    // Waits until the kernel takes more output, at most until `deadline`.
    bool AwaitOutput(Clock::time_point deadline);
    // Pumps until `done()` holds, the connection fails or `deadline` passes; `done()`'s value.
    bool AwaitUntil(const std::function<bool()>& done, Clock::time_point deadline,
                    const WhileWaiting& whileWaiting);

    std::vector<uint8_t>& Input() { return in_; }
    size_t PendingOutput() const { return out_.size(); }
    // The latest answer to each com-port command (the client's command plus 100).
    const std::map<uint8_t, std::vector<uint8_t>>& Replies() const { return replies_; }
    void ForgetReply(uint8_t command) { replies_.erase(command); }
    // Whether the server has sent any telnet command since the connection was made.
    bool SawTelnet() const { return sawTelnet_; }
    // Drops what has arrived and, until the server's answer to a purge, what still arrives.
    void DiscardUntilPurgeAnswer();
    void StopDiscarding() { discardInput_ = false; }
    // The line-error flags (CommStatus::LineError bits) seen since the last call.
    uint32_t TakeLineErrors();

  private:
    // Waits for the connection to be readable (or writable); a lost connection fails the stream.
    bool Await(bool forWriting, Clock::time_point deadline);
    void Decode(std::span<const uint8_t> bytes);
    void CheckSubnegotiationEnds();
    void Fail(Health health, const std::string& why);

    bool telnet_;
    std::function<void(const std::string&)> report_;
    TcpConnection connection_;
    telnet::Decoder decoder_;
    telnet::OptionNegotiator options_;
    bool binaryToServer_ = true;
    std::vector<telnet::Event> events_;
    std::map<uint8_t, std::vector<uint8_t>> replies_;
    std::vector<uint8_t> in_;   // data received, not yet read
    std::vector<uint8_t> out_;  // bytes for the socket, escaped, not yet taken by the kernel
    std::optional<Clock::time_point> subnegotiationSince_;
    Health health_ = Health::kGood;
    std::string brokenBecause_;
    bool sawTelnet_ = false;
    bool discardInput_ = false;
    uint32_t pendingErrors_ = 0;
};

}  // namespace tavin
