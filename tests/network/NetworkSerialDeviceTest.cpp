// The network serial device through the real transport, against a scripted RFC 2217 server on
// loopback: how the server's answers, notifications and stale bytes reach the transport, and
// that a server that misbehaves can cost the client neither unbounded time nor memory.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>

#include "CameraDataSet.h"
#include "NetworkAddress.h"
#include "NetworkSerialDevice.h"
#include "RecordingUserInterface.h"
#include "ScriptedServer.h"
#include "SerialPort.h"

namespace tavin {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using telnet::Event;
using testing::Agree;
using testing::Bytes;
using testing::ComPort;
using testing::ScriptedServer;
using Answer = ScriptedServer::Answer;

// Short time-outs keep the cases that must wait them out quick.
constexpr NetworkTimeouts kQuick{.connect = 1500ms, .reply = 1000ms, .purge = 300ms};

// What the devices tell the diagnostic channel (standard error) while it lives.
class DiagnosticCapture {
  public:
    DiagnosticCapture() : previous_(std::cerr.rdbuf(text_.rdbuf())) {}
    ~DiagnosticCapture() { std::cerr.rdbuf(previous_); }
    std::string Text() const { return text_.str(); }
    int Count(const std::string& what) const {
        int count = 0;
        const std::string text = Text();
        for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
            ++count;
        }
        return count;
    }

  private:
    std::ostringstream text_;
    std::streambuf* previous_;
};

// The growth of the process's peak memory while a server misbehaves. Under AddressSanitizer
// freed blocks stay in its quarantine (up to 256 MB), so the peak tells nothing there; the
// plain build checks the bound.
#if defined(__SANITIZE_ADDRESS__)
constexpr long kMemoryBoundKb = 1024 * 1024;
#else
constexpr long kMemoryBoundKb = 64 * 1024;
#endif

long PeakMemoryKb() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

long long MsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

bool IsComPort(const Event& event, uint8_t command) {
    return event.kind == Event::Kind::kComPort && event.command == command;
}
bool IsData(const Event& event) {
    return IsComPort(event, 0);
}

std::unique_ptr<SerialDevice> DeviceFor(const ScriptedServer& server,
                                        NetworkTimeouts timeouts = kQuick) {
    return CreateNetworkSerialDevice(*ParseNetworkAddress(server.Address()), timeouts);
}

class NetworkSerialDevice : public ::testing::Test {
  protected:
    // COM 1 at the server, as a user's TAVIN_COM1 names it, with the device's own time-outs.
    int32_t Open(const ScriptedServer& server) {
        ::setenv("TAVIN_COM1", server.Address().c_str(), 1);
        return port_.Open(1, 19200, 8, SerialPort::kTwoStopBits, 0);
    }
    int32_t OpenQuickly(const ScriptedServer& server) {
        port_.UseSerialDevice(DeviceFor(server));
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
        ScriptedServer server([&c](const Event& event) -> Answer {
            return IsData(event) ? ComPort(telnet::kNotifyLineState + 100, {c.lineState})
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
    ScriptedServer server([](const Event& event) -> Answer {
        if (IsComPort(event, telnet::kPurgeData)) {
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
    ScriptedServer server([](const Event& event) -> Answer {
        return IsData(event) ? Bytes{0xFF, 0xFF, 0x7E} : Agree(event);
    });
    ASSERT_EQ(Open(server), 0);
    const uint8_t sent[] = {0x02, 0xFF, 0x03};
    ASSERT_EQ(port_.Write(sent, 3, 1000), 3);
    uint8_t got[2] = {};
    ASSERT_EQ(port_.Read(got, 2, 1000), 2);
    EXPECT_EQ(Bytes(got, got + 2), (Bytes{0xFF, 0x7E}));
    EXPECT_EQ(server.DataReceived(), (Bytes{0x02, 0xFF, 0x03}));
}

// Each server misbehaves in one way; the open (and, once open, one read) must end within its
// bound with the status and the diagnostic that say what happened, and memory stays flat.
TEST_F(NetworkSerialDevice, MisbehavingServersCostBoundedTimeAndMemoryAndSayWhatHappened) {
    Bytes optionFlood;  // requests for options nobody knows, without end
    for (uint8_t option = 100; option < 200; ++option) {
        optionFlood.insert(optionFlood.end(), {telnet::kIac, telnet::kDo, option});
    }
    Answer floodAtOnce;
    floodAtOnce.flood = optionFlood;
    const auto floodAfterData = [](Bytes flood) {
        return [flood](const Event& event) {
            Answer answer = Agree(event);
            if (IsData(event)) {
                answer.flood = flood;
            }
            return answer;
        };
    };
    const auto onData = [](Answer reply) {
        return [reply](const Event& event) { return IsData(event) ? reply : Agree(event); };
    };
    // Answers `command` with `answer`, or not at all.
    const auto answering = [](uint8_t command, std::optional<Bytes> answer) {
        return [command, answer](const Event& event) -> Answer {
            if (!IsComPort(event, command)) {
                return Agree(event);
            }
            return answer ? ComPort(command + 100, *answer) : Answer();
        };
    };
    // Answers every option request with `answer`, and nothing else.
    const auto onNegotiation = [](Bytes answer) {
        return [answer](const Event& event) -> Answer {
            return event.kind == Event::Kind::kNegotiation ? answer : Bytes{};
        };
    };
    // Holds back every answer until the client has answered both of its own requests.
    const auto strict = [] {
        struct Held {
            bool ttype = false, echo = false;
            Bytes answers;
        };
        auto held = std::make_shared<Held>();
        return [held](const Event& event) -> Answer {
            if (event.kind == Event::Kind::kNegotiation) {
                held->ttype = held->ttype || (event.verb == telnet::kWont && event.option == 24);
                held->echo = held->echo || (event.verb == telnet::kDont && event.option == 1);
            }
            const Bytes answer = Agree(event).reply;
            held->answers.insert(held->answers.end(), answer.begin(), answer.end());
            return held->ttype && held->echo ? std::exchange(held->answers, {}) : Bytes{};
        };
    };
    const Bytes none;
    const Bytes itsOwnRequests{telnet::kIac, telnet::kDo, 24, telnet::kIac, telnet::kWill, 1};
    const Bytes telnetGreeting{telnet::kIac, telnet::kDo, telnet::kOptionComPort};
    const auto with = [](Bytes a, const std::string& text) {
        a.insert(a.end(), text.begin(), text.end());
        return a;
    };
    const Answer hangUp = [] {
        Answer answer;
        answer.close = true;
        return answer;
    }();
    Answer cutReply({0x02, '0', '1'});
    cutReply.close = true;
    Bytes overlong{telnet::kIac, telnet::kSb, telnet::kOptionComPort, telnet::kNotifyLineState};
    overlong.resize(overlong.size() + 600, 0x00);

    const int32_t kCannotOpen = -CommStatus::kCannotOpenPort;
    const int32_t kRefused = -CommStatus::kTimeOut;  // as a local port whose driver refuses
    const struct {
        const char* what;
        ScriptedServer::Script script;
        Bytes greeting;
        int32_t opened;
        int32_t read;  // once open, and the frame sent: what reading a reply byte gives
        const char* diagnostic;
        long long withinMs;
    } cases[] = {
        {"option flood", [&](const Event&) { return floodAtOnce; }, none, kCannotOpen, 0,
         "not an RFC 2217 server: no answer to the com-port option", 1800},
        {"answers only after its own requests were answered", strict(), itsOwnRequests, 0,
         -CommStatus::kTimeOut, "", 800},
        {"option flood after the frame", floodAfterData(optionFlood), none, 0,
         -CommStatus::kTimeOut, "", 800},
        {"notification flood after the frame",
         floodAfterData(ComPort(telnet::kNotifyModemState + 100, {0x00})), none, 0,
         -CommStatus::kTimeOut, "", 800},
        {"hangs up in the middle of the reply", onData(cutReply), none, 0, -CommStatus::kIoError,
         "the connection was lost", 500},
        {"unterminated subnegotiation", onData(Bytes{telnet::kIac, telnet::kSb, 44, 106, 0x06}),
         none, 0, -CommStatus::kIoError, "a subnegotiation from the server never ended", 1800},
        {"overlong subnegotiation", onData(overlong), none, 0, -CommStatus::kIoError,
         "a subnegotiation from the server is longer than 512 bytes", 500},
        {"not a telnet server", [&](const Event&) { return hangUp; },
         with(none, "HTTP/1.0 400 Bad Request\r\n\r\n"), kCannotOpen, 0,
         "not an RFC 2217 server: it closed the connection without telnet negotiation (it said "
         "\"HTTP/1.0 400 Bad Request\")",
         500},
        {"silent, not a telnet server", [](const Event&) { return Answer(); }, none, kCannotOpen, 0,
         "not an RFC 2217 server: no telnet negotiation", 1800},
        {"busy", [&](const Event&) { return hangUp; },
         with(telnetGreeting, "Port already in use\r\n"), kCannotOpen, 0,
         "the server closed during setup (it said \"Port already in use\")", 2300},
        {"hangs up at the baud rate",
         [&](const Event& event) { return IsComPort(event, 1) ? hangUp : Agree(event); }, none,
         kCannotOpen, 0, "the server closed during setup", 2300},
        {"refuses the com-port option", onNegotiation(Bytes{telnet::kIac, telnet::kDont, 44}), none,
         kCannotOpen, 0, "not an RFC 2217 server: it refused the com-port option", 500},
        {"keeps its own baud rate", answering(telnet::kSetBaudRate, telnet::BaudRateValue(9600)),
         none, kRefused, 0, "the server refused the line settings: baud 9600 asked 19200", 500},
        {"keeps one stop bit", answering(telnet::kSetStopSize, Bytes{telnet::kStopBitsOne}), none,
         kRefused, 0, "the server refused the line settings: stop bits 1 asked 2", 500},
        {"leaves the parity unanswered", answering(telnet::kSetParity, std::nullopt), none,
         kRefused, 0, "the server did not answer the line settings (parity)", 1800},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DiagnosticCapture diagnostics;
        const long memoryBefore = PeakMemoryKb();
        ScriptedServer server(c.script, {.greeting = c.greeting, .camera = false});
        const auto start = Clock::now();
        const int32_t opened = OpenQuickly(server);
        EXPECT_EQ(opened, c.opened) << diagnostics.Text();
        if (opened == 0 && c.opened == 0) {
            const uint8_t frame[] = {0x02, '0', '1', 0x03};
            ASSERT_EQ(port_.Write(frame, sizeof frame, 1000), 4);
            // With the protocol's longest wait; a time-out must come from the reading's own
            // deadline (300 ms), everything else sooner.
            uint8_t reply[10] = {};
            const bool timesOut = c.read == -CommStatus::kTimeOut;
            EXPECT_EQ(port_.Read(reply, timesOut ? 1 : 10, timesOut ? 300 : 1000), c.read)
                << diagnostics.Text();
        }
        EXPECT_LE(MsSince(start), c.withinMs);
        EXPECT_LT(PeakMemoryKb() - memoryBefore, kMemoryBoundKb) << "kB";
        if (*c.diagnostic) {
            EXPECT_EQ(diagnostics.Count(c.diagnostic), 1) << diagnostics.Text();
        } else {
            EXPECT_EQ(diagnostics.Text(), "");
        }
        // However often the server asks, each option is refused once.
        for (const Event& event : server.EventsReceived()) {
            if (event.kind == Event::Kind::kNegotiation && event.option >= 100) {
                EXPECT_EQ(event.verb, telnet::kWont);
            }
        }
        int refusals = 0;
        for (const Event& event : server.EventsReceived()) {
            refusals += event.kind == Event::Kind::kNegotiation && event.option >= 100;
        }
        EXPECT_LE(refusals, 100);
        port_.Close();
    }
}

// What a server will not do is told once; the line works all the same.
TEST_F(NetworkSerialDevice, TheLimitsOfAServerAreToldOnce) {
    const auto answeringTheMask = [](Bytes answer) {
        return [answer](const Event& event) -> Answer {
            return IsComPort(event, telnet::kSetLineStateMask) ? answer : Agree(event);
        };
    };
    const std::string unreported =
        "the server will not report framing, parity, overrun, break "
        "errors on its serial line (SET-LINESTATE-MASK answered 0x00)";
    const struct {
        const char* what;
        ScriptedServer::Script script;
        std::vector<std::string> notes;
    } cases[] = {
        {"answers the mask with it", Agree, {}},
        // ser2net sends the line state under the new mask instead (0 on a pseudo-terminal).
        {"answers the mask with the line state",
         answeringTheMask(ComPort(telnet::kNotifyLineState + 100, {0x00})),
         {}},
        {"takes none of the line errors",
         answeringTheMask(ComPort(telnet::kSetLineStateMask + 100, {0x00})),
         {unreported}},
        {"takes only the break",
         answeringTheMask(ComPort(telnet::kSetLineStateMask + 100, {0x10})),
         {"the server will not report framing, parity, overrun errors"}},
        {"does not answer the mask",
         answeringTheMask({}),
         {"the server did not answer which line errors it reports (SET-LINESTATE-MASK)"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedServer server(c.script);
        DiagnosticCapture diagnostics;
        ASSERT_EQ(OpenQuickly(server), 0);
        for (const std::string& note : c.notes) {
            EXPECT_EQ(diagnostics.Count(note), 1) << diagnostics.Text();
        }
        if (c.notes.empty()) {
            EXPECT_EQ(diagnostics.Text(), "");
        }
        port_.Close();
    }
}

TEST_F(NetworkSerialDevice, WithoutBinaryModeACarriageReturnTravelsAsCrNul) {
    ScriptedServer server([](const Event& event) -> Answer {
        if (event.kind == Event::Kind::kNegotiation && event.option == telnet::kOptionBinary) {
            return Bytes{telnet::kIac, event.verb == telnet::kWill ? telnet::kDont : telnet::kWont,
                         0};
        }
        return IsData(event) ? Bytes{'\r', 0x00, 0x06} : Agree(event);
    });
    DiagnosticCapture diagnostics;
    ASSERT_EQ(OpenQuickly(server), 0);
    const uint8_t sent[] = {'A', '\r', 'B'};
    ASSERT_EQ(port_.Write(sent, 3, 1000), 3);
    uint8_t got[2] = {};
    ASSERT_EQ(port_.Read(got, 2, 1000), 2);
    EXPECT_EQ(Bytes(got, got + 2), (Bytes{'\r', 0x06}));
    // The server's own decoder keeps the NUL: it shows what went over the wire.
    EXPECT_EQ(server.DataReceived(), (Bytes{'A', '\r', 0x00, 'B'}));
    EXPECT_EQ(diagnostics.Count("the server refused binary transmission (TRANSMIT-BINARY) both "
                                "ways"),
              1)
        << diagnostics.Text();
}

TEST_F(NetworkSerialDevice, AServerThatIgnoresPurgesIsAskedOnceThenPurgedHere) {
    ScriptedServer server([](const Event& event) -> Answer {
        if (IsComPort(event, telnet::kPurgeData)) {
            return Answer();
        }
        return IsData(event) ? Bytes{'s', 't', 'a', 'l', 'e'} : Agree(event);
    });
    DiagnosticCapture diagnostics;
    ASSERT_EQ(OpenQuickly(server), 0);
    const uint32_t both = SerialPort::kPurgeTxClear | SerialPort::kPurgeRxClear;
    for (int purge = 0; purge < 3; ++purge) {
        const uint8_t enq = 0x05;
        ASSERT_EQ(port_.Write(&enq, 1, 1000), 1);
        uint8_t byte = 0;
        ASSERT_EQ(port_.Read(&byte, 1, 1000), 1);  // "stale" has begun to arrive
        const auto start = Clock::now();
        EXPECT_EQ(port_.Purge(both), 0);
        // The first purge waits for the answer that does not come; no later one asks.
        EXPECT_LE(MsSince(start), purge == 0 ? 600 : 50) << "purge " << purge;
        // The rest of "stale" arrived before the purge, so it is gone.
        EXPECT_EQ(port_.Read(&byte, 1, 100), -CommStatus::kTimeOut) << "purge " << purge;
    }
    int purgeRequests = 0;
    for (const Event& event : server.EventsReceived()) {
        purgeRequests += IsComPort(event, telnet::kPurgeData);
    }
    EXPECT_EQ(purgeRequests, 1);
    EXPECT_EQ(diagnostics.Count("the server does not answer purge requests (PURGE-DATA)"), 1)
        << diagnostics.Text();
}

// The camera at 19200 baud behind two servers: one answers purges, one does not. The protocol
// purges before every exchange; only the first purge may cost the wait for an answer.
TEST(NetworkCamera, AFullReadThroughAServerThatIgnoresPurgesTakesAtMostTwiceTheNormalTime) {
    const auto fullRead = [](const ScriptedServer::Script& script) {
        ScriptedServer server(script, {.greeting = {}, .camera = true});
        CameraDataSet data;
        data.UseSerialDevice(DeviceFor(server, NetworkTimeouts{}));
        EXPECT_EQ(data.OpenPort(1, 19200), 0);
        const auto start = Clock::now();
        EXPECT_EQ(data.ReadAllItems(), 1) << data.GetStatusText();
        return MsSince(start);
    };
    const long long normal = fullRead(Agree);
    DiagnosticCapture diagnostics;
    const long long ignoring = fullRead([](const Event& event) -> Answer {
        return IsComPort(event, telnet::kPurgeData) ? Answer() : Agree(event);
    });
    std::cout << "full read: " << normal << " ms normally, " << ignoring
              << " ms without purge answers" << std::endl;
    EXPECT_LE(ignoring, 2 * normal);
    EXPECT_EQ(diagnostics.Count("does not answer purge requests"), 1) << diagnostics.Text();
}

// A server that floods data after it took the frame: the reply never starts, and the protocol's
// own deadlines end the read, not the server.
TEST(NetworkCamera, AReadFromAServerThatFloodsDataEndsWithinTheProtocolsDeadlines) {
    ScriptedServer server([](const Event& event) {
        Answer answer = Agree(event);
        if (IsData(event) && event.value.size() > 1) {  // the frame, after the ENQ
            answer.reply = {0x06};
            // Noise with the modem state in between, faster than the client can take it.
            answer.flood = Bytes(16, 'x');
            const Bytes notification = ComPort(telnet::kNotifyModemState + 100, {0x00});
            answer.flood.insert(answer.flood.end(), notification.begin(), notification.end());
        } else if (IsData(event)) {
            answer.reply = {0x06};
        }
        return answer;
    });
    CameraDataSet data;
    data.UseSerialDevice(DeviceFor(server));
    ASSERT_EQ(data.OpenPort(1, 19200), 0);
    const long memoryBefore = PeakMemoryKb();
    const auto start = Clock::now();
    EXPECT_LT(data.ReadItem(9), 0);
    EXPECT_LE(MsSince(start), CameraProtocol::kReplyWaitMs + 1500);
    EXPECT_LT(PeakMemoryKb() - memoryBefore, kMemoryBoundKb) << "kB";
}

TEST_F(NetworkSerialDevice, TheWindowKeepsRepaintingWhileTheServerThinks) {
    testing::RecordingUserInterface ui;
    ScriptedServer server([](const Event&) { return Answer(); });  // never answers
    DiagnosticCapture diagnostics;
    const auto start = Clock::now();
    EXPECT_EQ(OpenQuickly(server), -CommStatus::kCannotOpenPort);
    const long long took = MsSince(start);
    EXPECT_GE(took, 1000);
    // Every 50 ms or so; a loaded machine may skip some.
    EXPECT_GE(ui.keepResponsiveCalls, took / 50 / 2) << took << " ms";
}

}  // namespace
}  // namespace tavin
