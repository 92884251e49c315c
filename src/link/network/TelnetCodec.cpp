#include "TelnetCodec.h"

#include "CommStatus.h"

namespace tavin::telnet {

void AppendEscaped(std::vector<uint8_t>& out, std::span<const uint8_t> data, bool binary) {
    for (const uint8_t byte : data) {
        out.push_back(byte);
        if (byte == kIac) {
            out.push_back(kIac);
        } else if (byte == '\r' && !binary) {
            out.push_back(0);
        }
    }
}

void AppendNegotiation(std::vector<uint8_t>& out, uint8_t verb, uint8_t option) {
    out.insert(out.end(), {kIac, verb, option});
}

void AppendComPortRequest(std::vector<uint8_t>& out, uint8_t command,
                          std::span<const uint8_t> value) {
    out.insert(out.end(), {kIac, kSb, kOptionComPort, command});
    AppendEscaped(out, value);
    out.insert(out.end(), {kIac, kSe});
}

std::vector<uint8_t> BaudRateValue(uint32_t baudRate) {
    return {static_cast<uint8_t>(baudRate >> 24), static_cast<uint8_t>(baudRate >> 16),
            static_cast<uint8_t>(baudRate >> 8), static_cast<uint8_t>(baudRate)};
}

uint32_t LineErrorsOf(uint8_t lineState) {
    uint32_t flags = 0;
    if (lineState & kLineOverrun)
        flags |= CommStatus::kCeOverrun;
    if (lineState & kLineParity)
        flags |= CommStatus::kCeRxParity;
    if (lineState & kLineFraming)
        flags |= CommStatus::kCeFrame;
    if (lineState & kLineBreak)
        flags |= CommStatus::kCeBreak;
    return flags;
}

void Decoder::Feed(std::span<const uint8_t> bytes, std::vector<uint8_t>& data,
                   std::vector<Event>& events) {
    for (const uint8_t byte : bytes) {
        switch (state_) {
            case State::kCarriageReturn:
                state_ = State::kData;
                if (byte == 0) {
                    break;
                }
                [[fallthrough]];
            case State::kData:
                if (byte == kIac) {
                    state_ = State::kIac;
                } else {
                    data.push_back(byte);
                    if (byte == '\r' && !binary_) {
                        state_ = State::kCarriageReturn;
                    }
                }
                break;
            case State::kIac:
                if (byte == kIac) {
                    data.push_back(kIac);
                    state_ = State::kData;
                } else if (byte >= kWill) {
                    verb_ = byte;
                    state_ = State::kVerb;
                } else if (byte == kSb) {
                    sub_.clear();
                    state_ = State::kSubnegotiation;
                } else {
                    state_ = State::kData;  // NOP, GA and the other bare commands mean nothing here
                }
                break;
            case State::kVerb:
                events.push_back({.kind = Event::Kind::kNegotiation,
                                  .verb = verb_,
                                  .option = byte,
                                  .command = 0,
                                  .value = {},
                                  .dataBefore = data.size()});
                state_ = State::kData;
                break;
            case State::kSubnegotiation:
                if (byte == kIac) {
                    state_ = State::kSubnegotiationIac;
                } else {
                    KeepSubnegotiationByte(byte, data.size(), events);
                }
                break;
            case State::kSubnegotiationIac:
                if (byte == kIac) {
                    state_ = State::kSubnegotiation;
                    KeepSubnegotiationByte(kIac, data.size(), events);
                } else {
                    // SE ends it; anything else is a broken sequence, ended here all the same.
                    EndSubnegotiation(data.size(), events);
                    state_ = State::kData;
                }
                break;
        }
    }
}

void Decoder::KeepSubnegotiationByte(uint8_t byte, size_t dataBefore, std::vector<Event>& events) {
    if (sub_.size() < kLongestSubnegotiation) {
        sub_.push_back(byte);
        return;
    }
    events.push_back({.kind = Event::Kind::kOverlong,
                      .verb = 0,
                      .option = sub_[0],
                      .command = 0,
                      .value = {},
                      .dataBefore = dataBefore});
    sub_.clear();
    state_ = State::kData;
}

void Decoder::EndSubnegotiation(size_t dataBefore, std::vector<Event>& events) {
    if (sub_.size() >= 2 && sub_[0] == kOptionComPort) {
        events.push_back({.kind = Event::Kind::kComPort,
                          .verb = 0,
                          .option = 0,
                          .command = sub_[1],
                          .value = std::vector<uint8_t>(sub_.begin() + 2, sub_.end()),
                          .dataBefore = dataBefore});
    }
    sub_.clear();
}

}  // namespace tavin::telnet
