// The telnet and com-port-control codec of the network serial device, and its addresses.
#include <gtest/gtest.h>

#include "CommStatus.h"
#include "NetworkAddress.h"
#include "TelnetCodec.h"
#include "TelnetOptions.h"

namespace tavin::telnet {
namespace {

using Bytes = std::vector<uint8_t>;

TEST(TelnetCodec, EscapesEveryIacOfTheData) {
    const struct {
        Bytes data, wire;
    } cases[] = {
        {{}, {}},
        {{0x05, 0x02, 0x30}, {0x05, 0x02, 0x30}},
        {{0xFF}, {0xFF, 0xFF}},
        {{0x01, 0xFF, 0xFF, 0xFE}, {0x01, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE}},
    };
    for (const auto& c : cases) {
        Bytes wire;
        AppendEscaped(wire, c.data);
        EXPECT_EQ(wire, c.wire);
        // ...and the decoder gives the data back.
        Decoder decoder;
        Bytes data;
        std::vector<Event> events;
        decoder.Feed(wire, data, events);
        EXPECT_EQ(data, c.data);
        EXPECT_TRUE(events.empty());
    }
}

TEST(TelnetCodec, BuildsNegotiationsAndComPortRequests) {
    Bytes wire;
    AppendNegotiation(wire, kWill, kOptionComPort);
    EXPECT_EQ(wire, (Bytes{0xFF, 0xFB, 0x2C}));

    const struct {
        uint8_t command;
        Bytes value, wire;
    } cases[] = {
        {kSetBaudRate,
         BaudRateValue(19200),
         {0xFF, 0xFA, 0x2C, 0x01, 0x00, 0x00, 0x4B, 0x00, 0xFF, 0xF0}},
        {kSetBaudRate,
         BaudRateValue(9600),
         {0xFF, 0xFA, 0x2C, 0x01, 0x00, 0x00, 0x25, 0x80, 0xFF, 0xF0}},
        {kSetStopSize, {kStopBitsTwo}, {0xFF, 0xFA, 0x2C, 0x04, 0x02, 0xFF, 0xF0}},
        {kPurgeData, {kPurgeBoth}, {0xFF, 0xFA, 0x2C, 0x0C, 0x03, 0xFF, 0xF0}},
        // A value byte equal to IAC is doubled inside the subnegotiation too.
        {kSetBaudRate,
         BaudRateValue(0xFF),
         {0xFF, 0xFA, 0x2C, 0x01, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xF0}},
    };
    for (const auto& c : cases) {
        Bytes request;
        AppendComPortRequest(request, c.command, c.value);
        EXPECT_EQ(request, c.wire) << int(c.command);
    }
}

Event ComPort(uint8_t command, Bytes value, size_t dataBefore) {
    return {.kind = Event::Kind::kComPort,
            .verb = 0,
            .option = 0,
            .command = command,
            .value = std::move(value),
            .dataBefore = dataBefore};
}

Event Negotiation(uint8_t verb, uint8_t option, size_t dataBefore) {
    return {.kind = Event::Kind::kNegotiation,
            .verb = verb,
            .option = option,
            .command = 0,
            .value = {},
            .dataBefore = dataBefore};
}

TEST(TelnetCodec, ParsesTheServersStreamCutAnywhere) {
    const struct {
        const char* what;
        Bytes stream, data;
        std::vector<Event> events;
    } cases[] = {
        {"negotiation between data",
         {0x06, 0xFF, 0xFD, 0x2C, 0x02},
         {0x06, 0x02},
         {Negotiation(kDo, kOptionComPort, 1)}},
        {"baud rate answer",
         {0xFF, 0xFA, 0x2C, 0x65, 0x00, 0x00, 0x4B, 0x00, 0xFF, 0xF0},
         {},
         {ComPort(101, {0x00, 0x00, 0x4B, 0x00}, 0)}},
        {"escaped IAC inside an answer",
         {0xFF, 0xFA, 0x2C, 0x65, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xF0},
         {},
         {ComPort(101, {0x00, 0x00, 0x00, 0xFF}, 0)}},
        {"purge answer splits stale from fresh bytes",
         {0x15, 0xFF, 0xFA, 0x2C, 0x70, 0x03, 0xFF, 0xF0, 0x06},
         {0x15, 0x06},
         {ComPort(112, {0x03}, 1)}},
        {"other options' subnegotiations and bare commands are dropped",
         {0xFF, 0xFA, 0x18, 0x01, 0xFF, 0xF0, 0xFF, 0xF1, 0x06},
         {0x06},
         {}},
    };
    for (const auto& c : cases) {
        // Whole, and cut after every byte: the socket may deliver any piece.
        for (const size_t cut : {c.stream.size(), size_t{1}}) {
            Decoder decoder;
            Bytes data;
            std::vector<Event> events;
            for (size_t at = 0; at < c.stream.size(); at += cut) {
                const size_t n = std::min(cut, c.stream.size() - at);
                decoder.Feed(std::span(c.stream).subspan(at, n), data, events);
            }
            EXPECT_EQ(data, c.data) << c.what;
            EXPECT_EQ(events, c.events) << c.what;
        }
    }
}

TEST(TelnetCodec, ASubnegotiationTooLongOrNotEndedIsToldApart) {
    Bytes stream{0xFF, 0xFA, 0x2C, 0x6A};
    Decoder decoder;
    Bytes data;
    std::vector<Event> events;
    decoder.Feed(stream, data, events);
    EXPECT_TRUE(decoder.InSubnegotiation());  // it swallows whatever follows until it ends
    decoder.Feed(Bytes{0x06, 0xFF, 0xFF}, data, events);
    EXPECT_TRUE(decoder.InSubnegotiation());
    EXPECT_TRUE(data.empty());

    // No server of ours sends more than a few bytes; a longer one is reported, not kept.
    decoder.Reset();
    stream.resize(Decoder::kLongestSubnegotiation + 4, 0x00);
    stream.push_back(0x06);
    decoder.Feed(stream, data, events);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, Event::Kind::kOverlong);
    EXPECT_FALSE(decoder.InSubnegotiation());
}

TEST(TelnetCodec, OutsideBinaryModeACarriageReturnTravelsAsCrNul) {
    Bytes wire;
    AppendEscaped(wire, Bytes{'A', '\r', '\n', 0xFF}, false);
    EXPECT_EQ(wire, (Bytes{'A', '\r', 0x00, '\n', 0xFF, 0xFF}));

    const struct {
        Bytes stream, data;
    } cases[] = {
        {{'\r', 0x00, 'A'}, {'\r', 'A'}},
        {{'\r', '\n'}, {'\r', '\n'}},
        {{'\r', 0xFF, 0xFF}, {'\r', 0xFF}},
        {{0x00, '\r', '\r', 0x00}, {0x00, '\r', '\r'}},
    };
    for (const auto& c : cases) {
        for (const size_t cut : {c.stream.size(), size_t{1}}) {
            Decoder decoder;
            decoder.SetBinary(false);
            Bytes data;
            std::vector<Event> events;
            for (size_t at = 0; at < c.stream.size(); at += cut) {
                decoder.Feed(std::span(c.stream).subspan(at, std::min(cut, c.stream.size() - at)),
                             data, events);
            }
            EXPECT_EQ(data, c.data);
        }
    }
}

// The Q method of RFC 1143: what this end answers to each sequence of the server's requests.
TEST(TelnetOptions, AnswersEachOptionAtMostOncePerChangeOfState) {
    struct Step {
        uint8_t verb, option;
    };
    const struct {
        const char* what;
        std::vector<uint8_t> offered;    // asked for by this end first (WILL)
        std::vector<uint8_t> requested;  // asked of the server first (DO)
        std::vector<Step> received;
        size_t repeat;  // the received steps, this many times over
        Bytes answers;
    } cases[] = {
        {"an unknown option asked for without end is refused once",
         {},
         {},
         {{kDo, 24}},
         100000,
         {0xFF, kWont, 24}},
        {"an unknown option offered without end is refused once",
         {},
         {},
         {{kWill, 1}},
         100000,
         {0xFF, kDont, 1}},
        {"a request of ours is answered, the answer needs none",
         {kOptionComPort},
         {},
         {{kDo, kOptionComPort}, {kDo, kOptionComPort}},
         1,
         {}},
        {"a refusal of our request needs no answer",
         {kOptionComPort},
         {},
         {{kDont, kOptionComPort}, {kDont, kOptionComPort}},
         1,
         {}},
        {"the server's offer of binary is taken once",
         {},
         {},
         {{kWill, kOptionBinary}, {kWill, kOptionBinary}},
         1,
         {0xFF, kDo, kOptionBinary}},
        {"the server may not control our line",
         {},
         {},
         {{kWill, kOptionComPort}},
         3,
         {0xFF, kDont, kOptionComPort}},
        {"each change is acknowledged, and only a change",
         {kOptionBinary},
         {},
         {{kDo, kOptionBinary},
          {kDont, kOptionBinary},
          {kDont, kOptionBinary},
          {kDo, kOptionBinary}},
         1,
         {0xFF, kWont, kOptionBinary, 0xFF, kWill, kOptionBinary}},
        {"the server switching its side on and off",
         {},
         {kOptionSuppressGoAhead},
         {{kWill, kOptionSuppressGoAhead}, {kWont, kOptionSuppressGoAhead}},
         2,
         {0xFF, kDont, kOptionSuppressGoAhead, 0xFF, kDo, kOptionSuppressGoAhead, 0xFF, kDont,
          kOptionSuppressGoAhead}},
    };
    for (const auto& c : cases) {
        OptionNegotiator negotiator({kOptionBinary, kOptionSuppressGoAhead, kOptionComPort},
                                    {kOptionBinary, kOptionSuppressGoAhead});
        Bytes requests;
        for (const uint8_t option : c.offered) {
            negotiator.Offer(option, requests);
            negotiator.Offer(option, requests);  // asked once only
        }
        for (const uint8_t option : c.requested) {
            negotiator.Request(option, requests);
        }
        EXPECT_EQ(requests.size(), 3 * (c.offered.size() + c.requested.size())) << c.what;
        Bytes answers;
        for (size_t n = 0; n < c.repeat; ++n) {
            for (const Step& step : c.received) {
                negotiator.Receive(step.verb, step.option, answers);
            }
        }
        EXPECT_EQ(answers, c.answers) << c.what;
    }
}

TEST(TelnetOptions, TellsWhatEachSideAgreedTo) {
    using State = OptionNegotiator::State;
    OptionNegotiator negotiator({kOptionBinary, kOptionComPort}, {kOptionBinary});
    Bytes out;
    negotiator.Offer(kOptionComPort, out);
    negotiator.Offer(kOptionBinary, out);
    negotiator.Request(kOptionBinary, out);
    EXPECT_EQ(negotiator.Ours(kOptionComPort), State::kWantYes);
    negotiator.Receive(kDo, kOptionComPort, out);
    negotiator.Receive(kDont, kOptionBinary, out);
    negotiator.Receive(kWill, kOptionBinary, out);
    EXPECT_EQ(negotiator.Ours(kOptionComPort), State::kYes);
    EXPECT_EQ(negotiator.Ours(kOptionBinary), State::kNo);
    EXPECT_EQ(negotiator.Theirs(kOptionBinary), State::kYes);
    negotiator.Reset();
    EXPECT_EQ(negotiator.Ours(kOptionComPort), State::kNo);
}

TEST(TelnetCodec, LineStateNotificationsReportLocalLineErrors) {
    const struct {
        uint8_t lineState;
        int32_t status;
    } cases[] = {
        {kLineOverrun, CommStatus::kOverrun},
        {kLineParity, CommStatus::kRxParity},
        {kLineFraming, CommStatus::kFraming},
        {kLineBreak, CommStatus::kBreak},
        // Data ready and an empty transmitter are no errors.
        {0x01 | 0x20 | 0x40, CommStatus::kTimeOut},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CommStatus::MapLineErrors(LineErrorsOf(c.lineState)), c.status)
            << int(c.lineState);
    }
}

TEST(NetworkAddressTest, ParsesBothSchemes) {
    using Kind = NetworkAddress::Kind;
    const struct {
        const char* text;
        bool valid;
        Kind kind;
        const char* host;
        const char* port;
    } cases[] = {
        {"rfc2217://127.0.0.1:2217", true, Kind::kRfc2217, "127.0.0.1", "2217"},
        {"tcp://camera-7.plant:4001/", true, Kind::kTcp, "camera-7.plant", "4001"},
        {"tcp://[::1]:4001", true, Kind::kTcp, "::1", "4001"},
        {"rfc2217://host", false, Kind::kTcp, "", ""},
        {"rfc2217://:2217", false, Kind::kTcp, "", ""},
        {"tcp://::1:4001", false, Kind::kTcp, "", ""},
        {"/dev/ttyUSB0", false, Kind::kTcp, "", ""},
    };
    for (const auto& c : cases) {
        const auto address = ParseNetworkAddress(c.text);
        ASSERT_EQ(address.has_value(), c.valid) << c.text;
        if (address) {
            EXPECT_EQ(address->kind, c.kind) << c.text;
            EXPECT_EQ(address->host, c.host) << c.text;
            EXPECT_EQ(address->port, c.port) << c.text;
        }
    }
    EXPECT_TRUE(IsNetworkAddress("rfc2217://host"));
    EXPECT_FALSE(IsNetworkAddress("/dev/serial/by-id/usb-x"));
}

}  // namespace
}  // namespace tavin::telnet
