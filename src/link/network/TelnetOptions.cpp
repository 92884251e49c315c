#include "TelnetOptions.h"

#include "TelnetCodec.h"

namespace tavin::telnet {

OptionNegotiator::OptionNegotiator(std::initializer_list<uint8_t> ours,
                                   std::initializer_list<uint8_t> theirs) {
    for (const uint8_t option : ours) {
        ours_.allowed.set(option);
    }
    for (const uint8_t option : theirs) {
        theirs_.allowed.set(option);
    }
}

void OptionNegotiator::Reset() {
    for (Side* side : {&ours_, &theirs_}) {
        side->refused.reset();
        side->state.fill(State::kNo);
    }
}

void OptionNegotiator::Offer(uint8_t option, std::vector<uint8_t>& out) {
    Ask(ours_, option, kWill, out);
}

void OptionNegotiator::Request(uint8_t option, std::vector<uint8_t>& out) {
    Ask(theirs_, option, kDo, out);
}

void OptionNegotiator::Ask(Side& side, uint8_t option, uint8_t verb, std::vector<uint8_t>& out) {
    if (side.state[option] == State::kNo) {
        side.state[option] = State::kWantYes;
        AppendNegotiation(out, verb, option);
    }
}

void OptionNegotiator::Receive(uint8_t verb, uint8_t option, std::vector<uint8_t>& out) {
    switch (verb) {
        case kWill:
            Answer(theirs_, option, true, kDo, kDont, out);
            break;
        case kWont:
            Answer(theirs_, option, false, kDo, kDont, out);
            break;
        case kDo:
            Answer(ours_, option, true, kWill, kWont, out);
            break;
        case kDont:
            Answer(ours_, option, false, kWill, kWont, out);
            break;
        default:
            break;
    }
}

void OptionNegotiator::Answer(Side& side, uint8_t option, bool on, uint8_t yes, uint8_t no,
                              std::vector<uint8_t>& out) {
    State& state = side.state[option];
    if (on) {
        switch (state) {
            case State::kNo:
                if (side.allowed.test(option)) {
                    state = State::kYes;
                    AppendNegotiation(out, yes, option);
                } else if (!side.refused.test(option)) {
                    // Refused once; asking again changes nothing, so it gets no answer again.
                    side.refused.set(option);
                    AppendNegotiation(out, no, option);
                }
                break;
            case State::kWantYes:
                state = State::kYes;  // the answer to our own request
                break;
            case State::kYes:
                break;
        }
    } else {
        switch (state) {
            case State::kYes:
                state = State::kNo;
                AppendNegotiation(out, no, option);  // acknowledged, as the RFC requires
                break;
            case State::kWantYes:
                state = State::kNo;  // our request refused
                break;
            case State::kNo:
                break;
        }
    }
}

}  // namespace tavin::telnet
