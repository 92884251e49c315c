#include "NetworkStream.h"

#include <algorithm>
#include <utility>

#include "CommStatus.h"

namespace tavin {

namespace {

using std::chrono::milliseconds;

// What one Pump takes in at most: a server that sends faster than it is read cannot keep the
// caller from looking at its deadline.
constexpr size_t kPumpLimit = 65536;
// A server writes a subnegotiation in one piece. One still open after this never ends, and it
// would swallow every byte that follows it.
constexpr milliseconds kSubnegotiationLimit{1000};
constexpr milliseconds kSlice{50};

int MsUntil(NetworkStream::Clock::time_point deadline) {
    const auto left =
        std::chrono::ceil<milliseconds>(deadline - NetworkStream::Clock::now()).count();
    return static_cast<int>(std::max<long long>(left, 0));
}

}  // namespace

NetworkStream::NetworkStream(bool telnet, std::function<void(const std::string&)> report)
    : telnet_(telnet),
      report_(std::move(report)),
      // Binary data both ways, no go-aheads, and the com port is ours to control; nothing else.
      options_({telnet::kOptionBinary, telnet::kOptionSuppressGoAhead, telnet::kOptionComPort},
               {telnet::kOptionBinary, telnet::kOptionSuppressGoAhead}) {}

bool NetworkStream::Connect(const std::string& host, const std::string& port,
                            Clock::time_point deadline, const WhileWaiting& whileWaiting,
                            std::string& reason) {
    Close();
    return connection_.Connect(host, port, deadline, whileWaiting, reason);
}

void NetworkStream::Close() {
    connection_.Close();
    decoder_.Reset();
    options_.Reset();
    binaryToServer_ = true;
    replies_.clear();
    in_.clear();
    out_.clear();
    subnegotiationSince_.reset();
    health_ = Health::kGood;
    brokenBecause_.clear();
    sawTelnet_ = false;
    discardInput_ = false;
    pendingErrors_ = 0;
}

void NetworkStream::SendData(std::span<const uint8_t> data) {
    if (telnet_) {
        telnet::AppendEscaped(out_, data, binaryToServer_);
    } else {
        out_.insert(out_.end(), data.begin(), data.end());
    }
    Flush();
}

void NetworkStream::SendComPort(uint8_t command, std::span<const uint8_t> value) {
    telnet::AppendComPortRequest(out_, command, value);
    Flush();
}

void NetworkStream::Offer(uint8_t option) {
    options_.Offer(option, out_);
}

void NetworkStream::Request(uint8_t option) {
    options_.Request(option, out_);
}

void NetworkStream::SetBinary(bool toServer, bool fromServer) {
    binaryToServer_ = toServer;
    decoder_.SetBinary(fromServer);
}

void NetworkStream::Flush() {
    while (!out_.empty() && health_ == Health::kGood) {
        const long sent = connection_.Send(out_.data(), out_.size());
        if (sent < 0) {
            Fail(Health::kClosed, "the connection was lost");
        } else if (sent == 0) {
            return;
        } else {
            out_.erase(out_.begin(), out_.begin() + sent);
        }
    }
}

void NetworkStream::Pump() {
    uint8_t buffer[4096];
    for (size_t taken = 0; taken < kPumpLimit && health_ == Health::kGood;) {
        const long got = connection_.Receive(buffer, sizeof buffer);
        if (got < 0) {
            Fail(Health::kClosed, "the connection was lost");
            break;
        }
        if (got == 0) {
            break;
        }
        taken += static_cast<size_t>(got);
        if (telnet_) {
            Decode({buffer, static_cast<size_t>(got)});
        } else {
            in_.insert(in_.end(), buffer, buffer + got);
        }
        // A server that floods faster than anyone reads overruns the input queue, as it would
        // a local port's: the newest bytes are lost and the overrun is reported.
        if (in_.size() > kInputLimit) {
            in_.resize(kInputLimit);
            pendingErrors_ |= CommStatus::kCeRxOver;
        }
    }
    if (telnet_ && health_ == Health::kGood) {
        CheckSubnegotiationEnds();
    }
    Flush();  // the answers go at once, also while the caller only waits
}

void NetworkStream::Decode(std::span<const uint8_t> bytes) {
    events_.clear();
    decoder_.Feed(bytes, in_, events_);
    const bool purging = discardInput_;
    size_t fresh = 0;  // while purging, where the bytes after the server's answer begin
    for (const telnet::Event& event : events_) {
        sawTelnet_ = true;
        switch (event.kind) {
            case telnet::Event::Kind::kNegotiation:
                options_.Receive(event.verb, event.option, out_);
                break;
            case telnet::Event::Kind::kOverlong:
                // What follows it is not data anyone sent.
                in_.resize(std::min(in_.size(), event.dataBefore));
                Fail(Health::kBroken, "a subnegotiation from the server is longer than " +
                                          std::to_string(telnet::Decoder::kLongestSubnegotiation) +
                                          " bytes (protocol error)");
                return;
            case telnet::Event::Kind::kComPort:
                if (event.command == telnet::kNotifyLineState + telnet::kServerReply &&
                    !event.value.empty()) {
                    pendingErrors_ |= telnet::LineErrorsOf(event.value[0]);
                } else if (event.command == telnet::kPurgeData + telnet::kServerReply &&
                           discardInput_) {
                    fresh = event.dataBefore;
                    discardInput_ = false;
                }
                replies_[event.command] = event.value;
                break;
        }
    }
    if (purging) {
        in_.erase(in_.begin(), discardInput_ ? in_.end() : in_.begin() + static_cast<long>(fresh));
    }
    // The negotiation answers each request at most once per change, so only a server that asks
    // without end and never reads can fill this.
    if (out_.size() > kOutputLimit) {
        Fail(Health::kBroken, "the server sends requests without end and takes no answers");
    }
}

void NetworkStream::CheckSubnegotiationEnds() {
    if (!decoder_.InSubnegotiation()) {
        subnegotiationSince_.reset();
        return;
    }
    const auto now = Clock::now();
    if (!subnegotiationSince_) {
        subnegotiationSince_ = now;
    } else if (now - *subnegotiationSince_ >= kSubnegotiationLimit) {
        Fail(Health::kBroken, "a subnegotiation from the server never ended (protocol error)");
    }
}

void NetworkStream::Fail(Health health, const std::string& why) {
    if (health_ != Health::kGood) {
        return;
    }
    health_ = health;
    pendingErrors_ |= CommStatus::kCeIoe;
    if (health == Health::kBroken) {
        brokenBecause_ = why;
    }
    if (report_) {
        report_(why);
    }
}

bool NetworkStream::AwaitInput(Clock::time_point deadline) {
    if (subnegotiationSince_) {
        // Wake up in time to notice that it did not end.
        deadline = std::min(deadline, *subnegotiationSince_ + kSubnegotiationLimit);
    }
    return Await(false, deadline);
}

bool NetworkStream::AwaitOutput(Clock::time_point deadline) {
    return Await(true, deadline);
}

bool NetworkStream::Await(bool forWriting, Clock::time_point deadline) {
    switch (connection_.Wait(forWriting, MsUntil(deadline))) {
        case TcpConnection::Ready::kReady:
            return true;
        case TcpConnection::Ready::kTimedOut:
            return false;
        case TcpConnection::Ready::kLost:
            Fail(Health::kClosed, "the connection was lost");
            return false;
    }
    return false;
}

bool NetworkStream::AwaitUntil(const std::function<bool()>& done, Clock::time_point deadline,
                               const WhileWaiting& whileWaiting) {
    auto responsiveAt = Clock::now() + kSlice;
    for (;;) {
        Pump();
        if (done()) {
            return true;
        }
        const auto now = Clock::now();
        if (health_ != Health::kGood || now >= deadline) {
            return false;
        }
        AwaitInput(std::min(deadline, now + kSlice));
        if (whileWaiting && Clock::now() >= responsiveAt) {
            whileWaiting();
            responsiveAt = Clock::now() + kSlice;
        }
    }
}

void NetworkStream::DiscardUntilPurgeAnswer() {
    in_.clear();
    discardInput_ = true;
}

uint32_t NetworkStream::TakeLineErrors() {
    // A failed connection stays failed: every failure after it is the I/O error.
    const uint32_t failed = health_ != Health::kGood ? uint32_t{CommStatus::kCeIoe} : 0u;
    return std::exchange(pendingErrors_, 0) | failed;
}

}  // namespace tavin
