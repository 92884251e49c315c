#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// The telnet layer of a serial port served across the network: data escaping, option
// negotiation and the com-port-control subnegotiations of RFC 2217. Bytes in, bytes out; the
// socket is someone else's business, so every rule here is testable without one.

namespace tavin::telnet {

constexpr uint8_t kSe = 240;
constexpr uint8_t kSb = 250;
constexpr uint8_t kWill = 251;
constexpr uint8_t kWont = 252;
constexpr uint8_t kDo = 253;
constexpr uint8_t kDont = 254;
constexpr uint8_t kIac = 255;

constexpr uint8_t kOptionBinary = 0;  // TRANSMIT-BINARY
constexpr uint8_t kOptionSuppressGoAhead = 3;
constexpr uint8_t kOptionComPort = 44;

// Com-port-control commands as the client sends them; the server answers with 100 added.
enum ComPortCommand : uint8_t {
    kSetBaudRate = 1,
    kSetDataSize = 2,
    kSetParity = 3,
    kSetStopSize = 4,
    kSetControl = 5,
    kNotifyLineState = 6,
    kNotifyModemState = 7,
    kSetLineStateMask = 10,
    kSetModemStateMask = 11,
    kPurgeData = 12,
};
constexpr uint8_t kServerReply = 100;

// Values of the commands above.
constexpr uint8_t kParityNone = 1;
constexpr uint8_t kStopBitsOne = 1;
constexpr uint8_t kStopBitsTwo = 2;
constexpr uint8_t kStopBitsOneAndHalf = 3;
constexpr uint8_t kControlNoFlowControl = 1;
constexpr uint8_t kControlDtrOn = 8;
constexpr uint8_t kControlRtsOn = 11;
constexpr uint8_t kPurgeReceive = 1;
constexpr uint8_t kPurgeTransmit = 2;
constexpr uint8_t kPurgeBoth = 3;

// Line-state bits of a notification.
constexpr uint8_t kLineOverrun = 0x02;
constexpr uint8_t kLineParity = 0x04;
constexpr uint8_t kLineFraming = 0x08;
constexpr uint8_t kLineBreak = 0x10;
constexpr uint8_t kLineErrorMask = kLineOverrun | kLineParity | kLineFraming | kLineBreak;

// Appends `data` with every IAC doubled. Outside binary mode a CR also goes as CR NUL, as the
// network virtual terminal has it, so the server cannot take it for the start of a line end.
void AppendEscaped(std::vector<uint8_t>& out, std::span<const uint8_t> data, bool binary = true);
// IAC `verb` `option`.
void AppendNegotiation(std::vector<uint8_t>& out, uint8_t verb, uint8_t option);
// IAC SB COM-PORT-OPTION `command` `value` IAC SE, the value escaped.
void AppendComPortRequest(std::vector<uint8_t>& out, uint8_t command,
                          std::span<const uint8_t> value);
// The four big-endian bytes of a baud rate.
std::vector<uint8_t> BaudRateValue(uint32_t baudRate);

// The line-error flags (CommStatus::LineError) a line-state notification reports.
uint32_t LineErrorsOf(uint8_t lineState);

struct Event {
    // kOverlong: a subnegotiation longer than any this client knows; what follows it is taken as
    // data again, so the stream can no longer be trusted.
    enum class Kind { kNegotiation, kComPort, kOverlong };
    Kind kind = Kind::kNegotiation;
    uint8_t verb = 0;     // kNegotiation: WILL, WONT, DO or DONT
    uint8_t option = 0;   // kNegotiation: the option
    uint8_t command = 0;  // kComPort: the server's command (the client's plus 100)
    std::vector<uint8_t> value;
    size_t dataBefore = 0;  // the size `data` had when the event was decoded
    bool operator==(const Event&) const = default;
};

// Splits the stream from the server into data bytes and telnet events; each event tells where
// it fell among the data, as a purge's reply separates stale bytes from fresh ones. Keeps its state
// between calls, so a sequence may be cut anywhere by the socket.
class Decoder {
  public:
    void Feed(std::span<const uint8_t> bytes, std::vector<uint8_t>& data,
              std::vector<Event>& events);
    void Reset() { *this = Decoder(); }
    // Outside binary mode the server sends a bare CR as CR NUL; the NUL is dropped.
    void SetBinary(bool binary) { binary_ = binary; }
    // Whether the bytes so far end inside a subnegotiation, which swallows whatever follows until
    // its end.
    bool InSubnegotiation() const {
        return state_ == State::kSubnegotiation || state_ == State::kSubnegotiationIac;
    }

    // Longer subnegotiations are reported as kOverlong rather than buffered.
    static constexpr size_t kLongestSubnegotiation = 512;

  private:
    enum class State { kCarriageReturn, kData, kIac, kVerb, kSubnegotiation, kSubnegotiationIac };
    void KeepSubnegotiationByte(uint8_t byte, size_t dataBefore, std::vector<Event>& events);
    void EndSubnegotiation(size_t dataBefore, std::vector<Event>& events);

    State state_ = State::kData;
    bool binary_ = true;
    uint8_t verb_ = 0;
    std::vector<uint8_t> sub_;
};

}  // namespace tavin::telnet
