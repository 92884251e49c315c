#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <initializer_list>
#include <vector>

// Telnet option negotiation by the "Q method" of RFC 1143: each side of each option has a state,
// a request is sent only to change it, and the other end's requests are answered only when they
// change it. Two ends that both follow it cannot loop, and one that repeats itself without end
// gets no more than one answer per change of state, so it cannot make the answers pile up.
//
// This client only ever asks for options to be turned on, never off, so the RFC's WANTNO states
// and its queue bit never arise; they are left out.

namespace tavin::telnet {

class OptionNegotiator {
  public:
    enum class State : uint8_t { kNo, kYes, kWantYes };

    // `ours`: options this end agrees to perform (WILL); `theirs`: options it lets the server
    // perform (DO). Every other option is refused.
    OptionNegotiator(std::initializer_list<uint8_t> ours, std::initializer_list<uint8_t> theirs);

    // Asks to perform `option` here (IAC WILL), or that the server performs it (IAC DO), unless
    // that is already so or asked for.
    void Offer(uint8_t option, std::vector<uint8_t>& out);
    void Request(uint8_t option, std::vector<uint8_t>& out);

    // Takes the server's WILL, WONT, DO or DONT for `option` and appends the answer that is due,
    // if any.
    void Receive(uint8_t verb, uint8_t option, std::vector<uint8_t>& out);

    State Ours(uint8_t option) const { return ours_.state[option]; }
    State Theirs(uint8_t option) const { return theirs_.state[option]; }

    // Back to the start of a connection: every option off.
    void Reset();

  private:
    struct Side {
        std::bitset<256> allowed;
        std::bitset<256> refused;  // the server's request was refused once; it is not again
        std::array<State, 256> state{};
    };
    static void Ask(Side& side, uint8_t option, uint8_t verb, std::vector<uint8_t>& out);
    // The server asks to turn `option` of `side` on (`on`) or off; `yes` and `no` are the
    // answers that agree and refuse.
    static void Answer(Side& side, uint8_t option, bool on, uint8_t yes, uint8_t no,
                       std::vector<uint8_t>& out);

    Side ours_;
    Side theirs_;
};

}  // namespace tavin::telnet
