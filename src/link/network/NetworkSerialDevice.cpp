// The network serial device. The transport's deadlines stay its own: every wait here is bounded
// by the time the caller gives, and "drained" means the bytes have had their wire time on the
// remote line, so the purge that starts the next exchange cannot cut them off there.
#include "NetworkSerialDevice.h"

#include <algorithm>
#include <iostream>
#include <string>
#include <thread>
#include <utility>

#include "ComPortSetup.h"
#include "NetworkStream.h"
#include "UserInterface.h"

namespace tavin {

namespace {

using Clock = NetworkStream::Clock;
using std::chrono::milliseconds;

// Data waiting for the server; the rest of the stream's output queue is left to the answers.
constexpr size_t kDataQueueLimit = 4096;
constexpr milliseconds kReopenPause{100};
constexpr milliseconds kResponsiveSlice{50};

// Connecting and the setup can take seconds: the window keeps repainting meanwhile, as during a
// camera transfer.
void KeepResponsive() {
    TheUserInterface().KeepResponsive();
}

void PauseResponsively(milliseconds pause) {
    const auto until = Clock::now() + pause;
    for (auto now = Clock::now(); now < until; now = Clock::now()) {
        std::this_thread::sleep_until(std::min(until, now + kResponsiveSlice));
        KeepResponsive();
    }
}

class NetworkSerialDevice final : public SerialDevice {
  public:
    NetworkSerialDevice(NetworkAddress address, NetworkTimeouts timeouts)
        : address_(std::move(address)),
          timeouts_(timeouts),
          name_((address_.kind == NetworkAddress::Kind::kRfc2217 ? "rfc2217://" : "tcp://") +
                address_.host + ":" + address_.port),
          stream_(address_.kind == NetworkAddress::Kind::kRfc2217, [this](const std::string& why) {
              if (!settingUp_) {
                  Diagnose(why);  // a failure while opening is told by Open
              }
          }) {}
    ~NetworkSerialDevice() override { Close(); }

    OpenResult Open(int32_t, const LineSettings& settings) override {
        const auto deadline = Clock::now() + timeouts_.connect;
        for (;;) {
            Close();
            std::string reason;
            if (!stream_.Connect(address_.host, address_.port, deadline, KeepResponsive, reason)) {
                Diagnose(reason);
                return OpenResult::kCannotOpen;
            }
            const int bits = 1 + settings.byteSize + (settings.parity != 0 ? 1 : 0) +
                             (settings.stopBits != 0 ? 2 : 1);
            byteTime_ =
                std::chrono::microseconds(1'000'000LL * bits / std::max(settings.baudRate, 1) + 1);
            wireFreeAt_ = Clock::now();
            if (!stream_.IsTelnet()) {
                return OpenResult::kOpened;
            }
            settingUp_ = true;
            const ComPortSetup setup =
                SetUpComPort(stream_, settings, timeouts_.reply, KeepResponsive);
            settingUp_ = false;
            switch (setup.outcome) {
                case ComPortSetup::Outcome::kReady:
                    for (const std::string& note : setup.notes) {
                        Diagnose("the server " + note);
                    }
                    return OpenResult::kOpened;
                case ComPortSetup::Outcome::kRefused:
                    Diagnose("the server " + setup.failure);
                    return OpenResult::kSettingsRefused;  // the port stays open, as a local one
                case ComPortSetup::Outcome::kNotComPortServer:
                    Diagnose(setup.failure);
                    Close();
                    return OpenResult::kCannotOpen;
                case ComPortSetup::Outcome::kClosed:
                    break;
            }
            // A server still letting go of the line after the previous session (a quick
            // reopen), or serving another client, takes the connection and closes it again at
            // once; ask again until the time-out.
            if (Clock::now() + kReopenPause >= deadline) {
                Diagnose("the server " + setup.failure);
                Close();
                return OpenResult::kCannotOpen;
            }
            PauseResponsively(kReopenPause);
        }
    }

    void Close() override {
        stream_.Close();
        purgeIgnored_ = false;
    }

    bool IsOpen() const override { return stream_.IsOpen(); }
    bool IsLost() const override { return stream_.GetHealth() != NetworkStream::Health::kGood; }

    int32_t WriteSome(const uint8_t* bytes, int32_t count) override {
        stream_.Flush();
        if (IsLost()) {
            return -1;
        }
        if (stream_.PendingOutput() >= kDataQueueLimit) {
            return 0;
        }
        const auto taken = std::min<size_t>(count, kDataQueueLimit - stream_.PendingOutput());
        stream_.SendData({bytes, taken});
        wireFreeAt_ = std::max(wireFreeAt_, Clock::now()) + byteTime_ * taken;
        return IsLost() ? -1 : static_cast<int32_t>(taken);
    }

    int32_t PendingOutput() override {
        const auto onWire = (std::max(wireFreeAt_, Clock::now()) - Clock::now()) / byteTime_;
        return static_cast<int32_t>(std::max<size_t>(stream_.PendingOutput(), onWire));
    }

    int32_t ReadSome(uint8_t* bytes, int32_t count) override {
        stream_.Pump();
        std::vector<uint8_t>& in = stream_.Input();
        if (in.empty()) {
            return IsLost() ? -1 : 0;
        }
        const auto got = std::min<size_t>(count, in.size());
        std::copy_n(in.begin(), got, bytes);
        in.erase(in.begin(), in.begin() + static_cast<long>(got));
        return static_cast<int32_t>(got);
    }

    // Every wait ends at once on a lost connection: nothing more will come.
    bool WaitReadable(int32_t timeoutMs) override {
        const auto deadline = Clock::now() + milliseconds(std::max(timeoutMs, 0));
        for (;;) {
            stream_.Pump();
            if (!stream_.Input().empty()) {
                return true;
            }
            if (IsLost() || Clock::now() >= deadline) {
                return false;
            }
            stream_.AwaitInput(deadline);
        }
    }

    bool WaitWritable(int32_t timeoutMs) override {
        const auto deadline = Clock::now() + milliseconds(std::max(timeoutMs, 0));
        for (;;) {
            stream_.Flush();
            if (IsLost()) {
                return false;
            }
            if (stream_.PendingOutput() < kDataQueueLimit) {
                return true;
            }
            if (Clock::now() >= deadline) {
                return false;
            }
            stream_.AwaitOutput(deadline);
        }
    }

    bool WaitDrained(int32_t timeoutMs) override {
        const auto deadline = Clock::now() + milliseconds(std::max(timeoutMs, 0));
        for (;;) {
            stream_.Flush();
            if (IsLost()) {
                return false;
            }
            const auto now = Clock::now();
            if (stream_.PendingOutput() == 0 && now >= wireFreeAt_) {
                return true;
            }
            if (now >= deadline) {
                return false;
            }
            if (stream_.PendingOutput() != 0) {
                stream_.AwaitOutput(deadline);
            } else {
                std::this_thread::sleep_until(std::min(wireFreeAt_, deadline));
            }
        }
    }

    bool Purge(bool output, bool input) override {
        if (output) {
            // Telnet's queue may end inside an escape or a command: it goes out whole, and the
            // server's own purge discards what of it has not reached the line.
            if (!stream_.IsTelnet()) {
                stream_.DropUnsent();
            }
            wireFreeAt_ = Clock::now();
        }
        // Without the com-port option (raw TCP, or a server that refused it) nobody would
        // answer, and a server that ignored one purge would ignore the next: purge here only.
        const bool comPort = stream_.IsTelnet() && stream_.Options().Ours(telnet::kOptionComPort) ==
                                                       telnet::OptionNegotiator::State::kYes;
        if (!comPort || purgeIgnored_ || (!output && !input)) {
            stream_.Pump();
            if (input) {
                stream_.Input().clear();
            }
            return true;
        }
        // The server's answer marks the point in the stream from which its bytes are fresh;
        // whatever it sent before belongs to the old exchange.
        const uint8_t what = output && input ? telnet::kPurgeBoth
                             : output        ? telnet::kPurgeTransmit
                                             : telnet::kPurgeReceive;
        const uint8_t reply = telnet::kPurgeData + telnet::kServerReply;
        stream_.ForgetReply(reply);
        stream_.SendComPort(telnet::kPurgeData, {&what, 1});
        if (input) {
            stream_.DiscardUntilPurgeAnswer();
        }
        const bool answered = stream_.AwaitUntil([&] { return stream_.Replies().contains(reply); },
                                                 Clock::now() + timeouts_.purge, KeepResponsive);
        stream_.StopDiscarding();
        if (answered || IsLost()) {
            return answered;
        }
        // What arrived meanwhile was dropped: the local half of the purge is done.
        purgeIgnored_ = true;
        Diagnose(
            "the server does not answer purge requests (PURGE-DATA); from now on only this "
            "end's queues are purged");
        return true;
    }

    uint32_t TakeLineErrors() override {
        stream_.Pump();
        return stream_.TakeLineErrors();
    }

  private:
    void Diagnose(const std::string& reason) const {
        std::cerr << name_ << ": " << reason << std::endl;
    }

    NetworkAddress address_;
    NetworkTimeouts timeouts_;
    std::string name_;
    bool settingUp_ = false;
    NetworkStream stream_;
    std::chrono::microseconds byteTime_{1000};
    Clock::time_point wireFreeAt_{};  // when the bytes handed so far have left the remote line
    bool purgeIgnored_ = false;
};

}  // namespace

std::unique_ptr<SerialDevice> CreateNetworkSerialDevice(NetworkAddress address,
                                                        NetworkTimeouts timeouts) {
    return std::make_unique<NetworkSerialDevice>(std::move(address), timeouts);
}

}  // namespace tavin
