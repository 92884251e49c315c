#pragma once

#include <string>
#include <string_view>

// The bad days a simulated camera can have on demand, one at a time.

namespace tavin::sim {

enum class FaultKind {
    None,
    Silent,             // answers nothing at all
    EnqNak,             // answers the ENQ with NAK
    EnqWrongByte,       // answers the ENQ with a byte that is neither ACK nor NAK
    IgnoreFrame,        // acknowledges the ENQ, then leaves frames unanswered
    NoiseBeforeReply,   // sends a few stray bytes ahead of each reply's STX
    BadReplyChecksum,   // sends each reply with a wrong checksum a number of times first
    LowerCaseChecksum,  // writes the reply's checksum in lower-case digits
    NonHexValue,        // puts a character that is no hex digit into the reply's value
    CutReply,           // stops sending a reply part way through
    HangUp,             // closes the line once a frame has arrived, leaving the host waiting
    ForgetWrites,       // acknowledges written values but keeps the old ones
};

struct Fault {
    FaultKind kind = FaultKind::None;
    // IgnoreFrame: frames left unanswered per exchange; BadReplyChecksum: bad replies per
    // request; CutReply: replies cut short in all. 0 means "every time" for IgnoreFrame and
    // CutReply.
    int count = 0;
};

// Parses "name" or "name=N" as documented by FaultHelp(); throws std::invalid_argument with a
// message for the user.
Fault ParseFault(std::string_view text);
std::string ToString(const Fault& fault);
// One line per fault, for --help.
std::string FaultHelp();

}  // namespace tavin::sim
