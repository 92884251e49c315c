#include "ComPortSetup.h"

#include <algorithm>
#include <cstdio>
#include <span>

namespace tavin {

namespace {

using Clock = NetworkStream::Clock;
using Outcome = ComPortSetup::Outcome;
using State = telnet::OptionNegotiator::State;

// What the remote line is asked for, as com-port-control values.
struct Request {
    uint8_t command;
    std::vector<uint8_t> value;
};

std::vector<Request> LineRequests(const LineSettings& settings) {
    static constexpr uint8_t kStopSizes[] = {telnet::kStopBitsOne, telnet::kStopBitsOneAndHalf,
                                             telnet::kStopBitsTwo};
    return {
        {telnet::kSetBaudRate, telnet::BaudRateValue(static_cast<uint32_t>(settings.baudRate))},
        {telnet::kSetDataSize, {settings.byteSize}},
        {telnet::kSetParity, {static_cast<uint8_t>(settings.parity + telnet::kParityNone)}},
        {telnet::kSetStopSize, {kStopSizes[std::min<int>(settings.stopBits, 2)]}},
        {telnet::kSetControl, {telnet::kControlNoFlowControl}},
    };
}

// A setting as people name it: "baud 9600", "parity even".
std::string SettingName(uint8_t command) {
    switch (command) {
        case telnet::kSetBaudRate:
            return "baud";
        case telnet::kSetDataSize:
            return "data bits";
        case telnet::kSetParity:
            return "parity";
        case telnet::kSetStopSize:
            return "stop bits";
        default:
            return "flow control";
    }
}

std::string SettingValue(uint8_t command, const std::vector<uint8_t>& value) {
    if (value.empty()) {
        return "(none)";
    }
    static const char* const kParities[] = {"none", "odd", "even", "mark", "space"};
    static const char* const kStopSizes[] = {"1", "2", "1.5"};
    static const char* const kFlowControls[] = {"none", "XON/XOFF", "hardware"};
    const unsigned first = value[0];
    if (command == telnet::kSetBaudRate && value.size() == 4) {
        return std::to_string((uint32_t{value[0]} << 24) | (uint32_t{value[1]} << 16) |
                              (uint32_t{value[2]} << 8) | value[3]);
    }
    if (command == telnet::kSetParity && first >= 1 && first <= 5) {
        return kParities[first - 1];
    }
    if (command == telnet::kSetStopSize && first >= 1 && first <= 3) {
        return kStopSizes[first - 1];
    }
    if (command == telnet::kSetControl && first >= 1 && first <= 3) {
        return kFlowControls[first - 1];
    }
    return std::to_string(first);
}

// The start of what a server that hung up or speaks another protocol sent, for the user:
// ser2net says "Port already in use", a web server names itself.
std::string WhatItSaid(const std::vector<uint8_t>& data) {
    std::string text;
    for (const uint8_t byte : data) {
        if (byte == '\r' || byte == '\n') {
            if (!text.empty()) {
                break;
            }
            continue;
        }
        text += byte >= 0x20 && byte < 0x7F ? static_cast<char>(byte) : '?';
        if (text.size() == 60) {
            text += "...";
            break;
        }
    }
    return text.empty() ? "" : " (it said \"" + text + "\")";
}

std::string MissingLineErrors(uint8_t mask) {
    static const struct {
        uint8_t bit;
        const char* name;
    } kErrors[] = {{telnet::kLineFraming, "framing"},
                   {telnet::kLineParity, "parity"},
                   {telnet::kLineOverrun, "overrun"},
                   {telnet::kLineBreak, "break"}};
    std::string names;
    for (const auto& error : kErrors) {
        if ((mask & error.bit) == 0) {
            names += (names.empty() ? "" : ", ") + std::string(error.name);
        }
    }
    return names;
}

class Setup {
  public:
    Setup(NetworkStream& stream, std::chrono::milliseconds replyTime,
          const NetworkStream::WhileWaiting& whileWaiting)
        : stream_(stream), replyTime_(replyTime), whileWaiting_(whileWaiting) {}

    ComPortSetup Run(const LineSettings& settings) {
        for (const uint8_t option : {telnet::kOptionBinary, telnet::kOptionSuppressGoAhead}) {
            stream_.Offer(option);
            stream_.Request(option);
        }
        stream_.Offer(telnet::kOptionComPort);
        stream_.Flush();
        const telnet::OptionNegotiator& options = stream_.Options();
        const bool answered =
            Await([&] { return options.Ours(telnet::kOptionComPort) != State::kWantYes; },
                  Clock::now() + replyTime_);
        if (stream_.GetHealth() != NetworkStream::Health::kGood) {
            return Failed();
        }
        if (!answered) {
            return NotComPortServer(stream_.SawTelnet() ? "no answer to the com-port option"
                                                        : "no telnet negotiation");
        }
        if (options.Ours(telnet::kOptionComPort) != State::kYes) {
            return NotComPortServer("it refused the com-port option");
        }

        const std::vector<Request> line = LineRequests(settings);
        for (const Request& request : line) {
            stream_.SendComPort(request.command, request.value);
        }
        // Line errors on the server's port reach this end only as its reports. The initial
        // mask is 0, so a report that comes after this asks has seen the mask.
        const uint8_t lineMask = telnet::kLineErrorMask;
        const uint8_t modemMask = 0;
        stream_.ForgetReply(telnet::kNotifyLineState + telnet::kServerReply);
        stream_.SendComPort(telnet::kSetLineStateMask, {&lineMask, 1});
        stream_.SendComPort(telnet::kSetModemStateMask, {&modemMask, 1});
        const auto deadline = Clock::now() + replyTime_;
        for (const Request& request : line) {
            const uint8_t reply = request.command + telnet::kServerReply;
            if (!AwaitReply(reply, deadline)) {
                return stream_.GetHealth() != NetworkStream::Health::kGood
                           ? Failed()
                           : Result(Outcome::kRefused, "did not answer the line settings (" +
                                                           SettingName(request.command) + ")");
            }
            const std::vector<uint8_t>& value = stream_.Replies().at(reply);
            if (value != request.value) {
                return Result(Outcome::kRefused,
                              "refused the line settings: " + SettingName(request.command) + " " +
                                  SettingValue(request.command, value) + " asked " +
                                  SettingValue(request.command, request.value));
            }
        }
        ComPortSetup ready = Result(Outcome::kReady, "");
        CheckLineErrorReports(deadline, ready.notes);
        // Only now: the server answers these with the command of the flow control. The modem
        // lines need no answer to be useful (ser2net on a pseudo-terminal gives none).
        for (const uint8_t control : {telnet::kControlDtrOn, telnet::kControlRtsOn}) {
            stream_.SendComPort(telnet::kSetControl, {&control, 1});
        }
        if (stream_.GetHealth() != NetworkStream::Health::kGood) {
            return Failed();
        }
        CheckBinary(ready.notes);
        return ready;
    }

  private:
    bool Await(const std::function<bool()>& done, Clock::time_point deadline) {
        return stream_.AwaitUntil(done, deadline, whileWaiting_);
    }
    bool AwaitReply(uint8_t reply, Clock::time_point deadline) {
        return Await([&] { return stream_.Replies().contains(reply); }, deadline);
    }

    static ComPortSetup Result(Outcome outcome, std::string failure) {
        return {.outcome = outcome, .failure = std::move(failure), .notes = {}};
    }
    ComPortSetup NotComPortServer(const std::string& why) {
        return Result(Outcome::kNotComPortServer,
                      "not an RFC 2217 server: " + why + WhatItSaid(stream_.Input()));
    }
    // The connection failed under the setup.
    ComPortSetup Failed() {
        if (stream_.GetHealth() == NetworkStream::Health::kBroken) {
            return Result(Outcome::kNotComPortServer, stream_.BrokenBecause());
        }
        // Only a telnet server's close may be one that a second try gets past.
        if (!stream_.SawTelnet()) {
            return NotComPortServer("it closed the connection without telnet negotiation");
        }
        return Result(Outcome::kClosed, "closed during setup" + WhatItSaid(stream_.Input()));
    }

    // RFC 2217 has the server answer the mask with the one it uses; ser2net instead sends the
    // line state under the new mask at once. Either shows that the mask arrived.
    void CheckLineErrorReports(Clock::time_point deadline, std::vector<std::string>& notes) {
        const uint8_t echo = telnet::kSetLineStateMask + telnet::kServerReply;
        const uint8_t report = telnet::kNotifyLineState + telnet::kServerReply;
        const auto& replies = stream_.Replies();
        if (!Await([&] { return replies.contains(echo) || replies.contains(report); }, deadline)) {
            notes.push_back(
                "did not answer which line errors it reports (SET-LINESTATE-MASK): framing, "
                "parity, overrun and break errors on its serial line may go unreported");
            return;
        }
        if (!replies.contains(echo)) {
            return;
        }
        const std::vector<uint8_t>& value = replies.at(echo);
        const uint8_t mask = value.empty() ? 0 : value[0];
        if ((mask & telnet::kLineErrorMask) != telnet::kLineErrorMask) {
            char answer[8];
            std::snprintf(answer, sizeof answer, "0x%02X", mask);
            notes.push_back("will not report " + MissingLineErrors(mask) +
                            " errors on its serial line (SET-LINESTATE-MASK answered " + answer +
                            "); they show only as damaged or missing replies");
        }
    }

    // Without TRANSMIT-BINARY both ends speak the network virtual terminal, which passes the
    // camera's plain-text messages but sends a CR as CR NUL.
    void CheckBinary(std::vector<std::string>& notes) {
        const telnet::OptionNegotiator& options = stream_.Options();
        const bool toServer = options.Ours(telnet::kOptionBinary) == State::kYes;
        const bool fromServer = options.Theirs(telnet::kOptionBinary) == State::kYes;
        stream_.SetBinary(toServer, fromServer);
        if (!toServer || !fromServer) {
            notes.push_back(std::string("refused binary transmission (TRANSMIT-BINARY) ") +
                            (toServer     ? "from the server"
                             : fromServer ? "to the server"
                                          : "both ways") +
                            "; bytes travel as telnet text there, a CR as CR NUL");
        }
    }

    NetworkStream& stream_;
    std::chrono::milliseconds replyTime_;
    const NetworkStream::WhileWaiting& whileWaiting_;
};

}  // namespace

ComPortSetup SetUpComPort(NetworkStream& stream, const LineSettings& settings,
                          std::chrono::milliseconds replyTime,
                          const NetworkStream::WhileWaiting& whileWaiting) {
    return Setup(stream, replyTime, whileWaiting).Run(settings);
}

}  // namespace tavin
