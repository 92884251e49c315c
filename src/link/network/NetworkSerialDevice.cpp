// The network serial device. The transport's deadlines stay its own: every wait here is bounded
// by the time the caller gives, and "drained" means the bytes have had their wire time on the
// remote line, so the purge that starts the next exchange cannot cut them off there.
#include "NetworkSerialDevice.h"

#include <algorithm>
#include <chrono>
#include <iostream>
#include <map>
#include <span>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "CommStatus.h"
#include "TcpConnection.h"
#include "TelnetCodec.h"

namespace tavin {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr int kConnectTimeoutMs = 5000;
constexpr int kReplyTimeoutMs = 3000;  // for the server's answers while opening
constexpr int kPurgeTimeoutMs = 1000;  // for the server's answer to a purge
constexpr size_t kOutputQueueLimit = 4096;
constexpr size_t kInputLimit = 65536;  // received bytes nobody has read yet
constexpr milliseconds kReopenPause{100};

int MsUntil(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::max<long long>(left, 0));
}

// What the remote line is asked for, as com-port-control values.
struct RemoteLine {
    uint8_t dataSize;
    uint8_t parity;
    uint8_t stopSize;
};

RemoteLine RemoteLineOf(const LineSettings& settings) {
    static constexpr uint8_t kStopSizes[] = {telnet::kStopBitsOne, telnet::kStopBitsOneAndHalf,
                                             telnet::kStopBitsTwo};
    return {settings.byteSize, static_cast<uint8_t>(settings.parity + telnet::kParityNone),
            kStopSizes[std::min<int>(settings.stopBits, 2)]};
}

class NetworkSerialDevice final : public SerialDevice {
  public:
    explicit NetworkSerialDevice(NetworkAddress address)
        : address_(std::move(address)),
          telnet_(address_.kind == NetworkAddress::Kind::kRfc2217),
          name_((telnet_ ? "rfc2217://" : "tcp://") + address_.host + ":" + address_.port) {}
    ~NetworkSerialDevice() override { Close(); }

    OpenResult Open(int32_t, const LineSettings& settings) override {
        // A server still letting go of the line after the previous session (a quick reopen)
        // takes the connection and closes it again at once; ask again until the time-out.
        const auto deadline = Clock::now() + milliseconds(kConnectTimeoutMs);
        for (;;) {
            Close();
            std::string reason;
            if (!connection_.Connect(address_.host, address_.port, MsUntil(deadline), reason)) {
                Diagnose(reason);
                return OpenResult::kCannotOpen;
            }
            const int bits = 1 + settings.byteSize + (settings.parity != 0 ? 1 : 0) +
                             (settings.stopBits != 0 ? 2 : 1);
            byteTime_ =
                std::chrono::microseconds(1'000'000LL * bits / std::max(settings.baudRate, 1) + 1);
            wireFreeAt_ = Clock::now();
            if (!telnet_) {
                return OpenResult::kOpened;
            }
            settingUp_ = true;
            const std::string failure = SetUpRemoteLine(settings);
            settingUp_ = false;
            if (failure.empty()) {
                return OpenResult::kOpened;
            }
            if (!lost_) {
                Diagnose(failure);
                return OpenResult::kSettingsRefused;
            }
            if (Clock::now() + kReopenPause >= deadline) {
                Diagnose("the server closed the connection; is the port in use?");
                connection_.Close();
                return OpenResult::kCannotOpen;
            }
            std::this_thread::sleep_for(kReopenPause);
        }
    }

    void Close() override {
        connection_.Close();
        decoder_.Reset();
        in_.clear();
        out_.clear();
        replies_.clear();
        lost_ = false;
        comPortAgreed_ = false;
        pendingErrors_ = 0;
    }

    bool IsOpen() const override { return connection_.IsOpen(); }

    int32_t WriteSome(const uint8_t* bytes, int32_t count) override {
        Flush();
        if (lost_) {
            return Lost();
        }
        if (out_.size() >= kOutputQueueLimit) {
            return 0;
        }
        const auto taken = std::min<size_t>(count, kOutputQueueLimit - out_.size());
        const std::span<const uint8_t> data(bytes, taken);
        if (telnet_) {
            telnet::AppendEscaped(out_, data);
        } else {
            out_.insert(out_.end(), data.begin(), data.end());
        }
        wireFreeAt_ = std::max(wireFreeAt_, Clock::now()) + byteTime_ * taken;
        Flush();
        return lost_ ? Lost() : static_cast<int32_t>(taken);
    }

    int32_t PendingOutput() override {
        const auto onWire = (std::max(wireFreeAt_, Clock::now()) - Clock::now()) / byteTime_;
        return static_cast<int32_t>(std::max<size_t>(out_.size(), onWire));
    }

    int32_t ReadSome(uint8_t* bytes, int32_t count) override {
        Pump();
        if (in_.empty()) {
            return lost_ ? Lost() : 0;
        }
        const auto got = std::min<size_t>(count, in_.size());
        std::copy_n(in_.begin(), got, bytes);
        in_.erase(in_.begin(), in_.begin() + static_cast<long>(got));
        return static_cast<int32_t>(got);
    }

    bool WaitReadable(int32_t timeoutMs) override {
        const auto deadline = Clock::now() + milliseconds(std::max(timeoutMs, 0));
        for (;;) {
            Pump();
            if (!in_.empty()) {
                return true;
            }
            if (lost_) {
                return IdleUntil(deadline);
            }
            if (!AwaitInput(deadline)) {
                return false;
            }
        }
    }

    bool WaitWritable(int32_t timeoutMs) override {
        const auto deadline = Clock::now() + milliseconds(std::max(timeoutMs, 0));
        for (;;) {
            Flush();
            if (lost_) {
                return IdleUntil(deadline);
            }
            if (out_.size() < kOutputQueueLimit) {
                return true;
            }
            if (connection_.Wait(true, MsUntil(deadline)) != TcpConnection::Ready::kReady) {
                return false;
            }
        }
    }

    bool WaitDrained(int32_t timeoutMs) override {
        const auto deadline = Clock::now() + milliseconds(std::max(timeoutMs, 0));
        for (;;) {
            Flush();
            if (lost_) {
                return IdleUntil(deadline);
            }
            const auto now = Clock::now();
            if (out_.empty() && now >= wireFreeAt_) {
                return true;
            }
            if (now >= deadline) {
                return false;
            }
            if (!out_.empty()) {
                connection_.Wait(true, MsUntil(deadline));
            } else {
                std::this_thread::sleep_until(std::min(wireFreeAt_, deadline));
            }
        }
    }

    bool Purge(bool output, bool input) override {
        if (output) {
            // Telnet's queue may end inside an escape or a command: it goes out whole, and the
            // server's own purge discards what of it has not reached the line.
            if (!telnet_) {
                out_.clear();
            }
            wireFreeAt_ = Clock::now();
        }
        // Without the com-port option (raw TCP, or a server that refused it) nobody would answer.
        if (!telnet_ || !comPortAgreed_ || (!output && !input)) {
            Pump();
            if (input) {
                in_.clear();
            }
            return true;
        }
        // The server's answer marks the point in the stream from which its bytes are fresh;
        // whatever it sent before belongs to the old exchange.
        const uint8_t what = output && input ? telnet::kPurgeBoth
                             : output        ? telnet::kPurgeTransmit
                                             : telnet::kPurgeReceive;
        const uint8_t reply = telnet::kPurgeData + telnet::kServerReply;
        replies_.erase(reply);
        SendComPort(telnet::kPurgeData, {&what, 1});
        if (input) {
            in_.clear();
            discardInput_ = true;
        }
        const bool answered = AwaitReply(reply, Clock::now() + milliseconds(kPurgeTimeoutMs));
        discardInput_ = false;
        return answered;
    }

    uint32_t TakeLineErrors() override {
        Pump();
        return std::exchange(pendingErrors_, 0);
    }

  private:
    void Diagnose(const std::string& reason) const {
        std::cerr << name_ << ": " << reason << std::endl;
    }

    // Nothing will come on a lost connection, but the caller must not spin on it.
    static bool IdleUntil(Clock::time_point deadline) {
        std::this_thread::sleep_until(deadline);
        return false;
    }

    int32_t Lost() {
        pendingErrors_ |= CommStatus::kCeIoe;
        return -1;
    }

    void MarkLost() {
        if (!lost_ && !settingUp_) {
            Diagnose("the connection was lost");
        }
        lost_ = true;
        pendingErrors_ |= CommStatus::kCeIoe;
    }

    // Hands queued bytes to the kernel, as many as it takes now.
    void Flush() {
        while (!out_.empty() && !lost_) {
            const long sent = connection_.Send(out_.data(), out_.size());
            if (sent < 0) {
                MarkLost();
            } else if (sent == 0) {
                return;
            } else {
                out_.erase(out_.begin(), out_.begin() + sent);
            }
        }
    }

    // Takes in whatever has arrived, without waiting.
    void Pump() {
        uint8_t buffer[4096];
        while (!lost_) {
            const long got = connection_.Receive(buffer, sizeof buffer);
            if (got < 0) {
                MarkLost();
            } else if (got == 0) {
                return;
            } else if (!telnet_) {
                in_.insert(in_.end(), buffer, buffer + got);
            } else {
                Decode({buffer, static_cast<size_t>(got)});
            }
            // A server that floods faster than anyone reads overruns the input queue, as it
            // would a local port's: the newest bytes are lost and the overrun is reported.
            if (in_.size() > kInputLimit) {
                in_.resize(kInputLimit);
                pendingErrors_ |= CommStatus::kCeRxOver;
            }
        }
    }

    void Decode(std::span<const uint8_t> bytes) {
        events_.clear();
        decoder_.Feed(bytes, in_, events_);
        const bool purging = discardInput_;
        size_t fresh = 0;  // while purging, where the bytes after the server's answer begin
        for (const telnet::Event& event : events_) {
            if (event.kind == telnet::Event::Kind::kNegotiation) {
                Negotiate(event.verb, event.option);
                continue;
            }
            if (event.command == telnet::kNotifyLineState + telnet::kServerReply &&
                !event.value.empty()) {
                pendingErrors_ |= telnet::LineErrorsOf(event.value[0]);
            } else if (event.command == telnet::kPurgeData + telnet::kServerReply &&
                       discardInput_) {
                fresh = event.dataBefore;
                discardInput_ = false;
            }
            replies_[event.command] = event.value;
        }
        if (purging) {
            in_.erase(in_.begin(), discardInput_ ? in_.end() : in_.begin() + fresh);
        }
    }

    bool AwaitInput(Clock::time_point deadline) {
        switch (connection_.Wait(false, MsUntil(deadline))) {
            case TcpConnection::Ready::kReady:
                return true;
            case TcpConnection::Ready::kTimedOut:
                return false;
            case TcpConnection::Ready::kLost:
                MarkLost();
                return false;
        }
        return false;
    }

    bool AwaitReply(uint8_t command, Clock::time_point deadline) {
        for (;;) {
            Flush();
            Pump();
            if (replies_.contains(command)) {
                return true;
            }
            if (lost_ || !AwaitInput(deadline)) {
                return false;
            }
        }
    }

    void Negotiate(uint8_t verb, uint8_t option) {
        // We send binary data both ways, need no go-aheads, and control the com port; nothing
        // else. Only a change of state is answered, so the two ends cannot loop.
        const bool ours = option == telnet::kOptionBinary ||
                          option == telnet::kOptionSuppressGoAhead ||
                          (option == telnet::kOptionComPort && verb != telnet::kWill);
        switch (verb) {
            case telnet::kDo:
                if (option == telnet::kOptionComPort) {
                    comPortAgreed_ = true;
                }
                if (!ours) {
                    telnet::AppendNegotiation(out_, telnet::kWont, option);
                }
                break;
            case telnet::kWill:
                if (!ours) {
                    telnet::AppendNegotiation(out_, telnet::kDont, option);
                }
                break;
            case telnet::kDont:
                if (option == telnet::kOptionComPort) {
                    comPortRefused_ = true;
                }
                break;
            default:
                break;
        }
    }

    void SendComPort(uint8_t command, std::span<const uint8_t> value) {
        telnet::AppendComPortRequest(out_, command, value);
        Flush();
    }

    // Agrees on the com-port option and sets the remote line: "" or what went wrong.
    std::string SetUpRemoteLine(const LineSettings& settings) {
        comPortAgreed_ = comPortRefused_ = false;
        for (const uint8_t option : {telnet::kOptionBinary, telnet::kOptionSuppressGoAhead}) {
            telnet::AppendNegotiation(out_, telnet::kWill, option);
            telnet::AppendNegotiation(out_, telnet::kDo, option);
        }
        telnet::AppendNegotiation(out_, telnet::kWill, telnet::kOptionComPort);
        Flush();
        const auto deadline = Clock::now() + milliseconds(kReplyTimeoutMs);
        while (!comPortAgreed_ && !comPortRefused_ && !lost_ && AwaitInput(deadline)) {
            Pump();
        }
        if (!comPortAgreed_) {
            return "the server does not control its serial line (no RFC 2217)";
        }
        const RemoteLine line = RemoteLineOf(settings);
        const std::vector<uint8_t> baud = telnet::BaudRateValue(settings.baudRate);
        struct Request {
            uint8_t command;
            std::vector<uint8_t> value;
        };
        const Request requests[] = {
            {telnet::kSetBaudRate, baud},
            {telnet::kSetDataSize, {line.dataSize}},
            {telnet::kSetParity, {line.parity}},
            {telnet::kSetStopSize, {line.stopSize}},
            {telnet::kSetControl, {telnet::kControlNoFlowControl}},
        };
        replies_.clear();
        for (const Request& request : requests) {
            SendComPort(request.command, request.value);
        }
        for (const Request& request : requests) {
            const uint8_t reply = request.command + telnet::kServerReply;
            if (!AwaitReply(reply, deadline + milliseconds(kReplyTimeoutMs))) {
                return "the server did not answer the line settings";
            }
            if (replies_[reply] != request.value) {
                return "the server refused the line settings";
            }
        }
        // The modem lines and the error reports need no answer to be useful.
        for (const uint8_t control : {telnet::kControlDtrOn, telnet::kControlRtsOn}) {
            SendComPort(telnet::kSetControl, {&control, 1});
        }
        const uint8_t lineMask = telnet::kLineErrorMask;
        const uint8_t modemMask = 0;
        SendComPort(telnet::kSetLineStateMask, {&lineMask, 1});
        SendComPort(telnet::kSetModemStateMask, {&modemMask, 1});
        return lost_ ? "the server closed the connection" : "";
    }

    NetworkAddress address_;
    bool telnet_;
    std::string name_;
    TcpConnection connection_;
    telnet::Decoder decoder_;
    std::vector<telnet::Event> events_;
    std::map<uint8_t, std::vector<uint8_t>> replies_;  // the latest answer to each command
    std::vector<uint8_t> in_;                          // data received, not yet read
    std::vector<uint8_t> out_;  // bytes for the socket, escaped, not yet taken by the kernel
    std::chrono::microseconds byteTime_{1000};
    Clock::time_point wireFreeAt_{};  // when the bytes handed so far have left the remote line
    bool lost_ = false;
    bool settingUp_ = false;  // losses while opening are told by Open
    bool discardInput_ = false;
    bool comPortAgreed_ = false;
    bool comPortRefused_ = false;
    uint32_t pendingErrors_ = 0;
};

}  // namespace

std::unique_ptr<SerialDevice> CreateNetworkSerialDevice(NetworkAddress address) {
    return std::make_unique<NetworkSerialDevice>(std::move(address));
}

}  // namespace tavin
