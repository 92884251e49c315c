#include "Fault.h"

#include <array>
#include <charconv>
#include <stdexcept>

namespace tavin::sim {

namespace {

struct FaultName {
    FaultKind kind;
    std::string_view name;
    bool takesCount;
    int defaultCount;
    std::string_view help;
};

constexpr std::array<FaultName, 12> kFaults{{
    {FaultKind::None, "none", false, 0, "behave (the default)"},
    {FaultKind::Silent, "silent", false, 0, "answer nothing at all"},
    {FaultKind::EnqNak, "enq-nak", false, 0, "answer every ENQ with NAK"},
    {FaultKind::EnqWrongByte, "enq-wrong-byte", false, 0,
     "answer every ENQ with '?' instead of ACK"},
    {FaultKind::IgnoreFrame, "no-frame-ack", true, 0,
     "ACK the ENQ, then leave the first N frames of each exchange unanswered (default: all)"},
    {FaultKind::NoiseBeforeReply, "noise", false, 0, "send stray bytes before each reply's STX"},
    {FaultKind::BadReplyChecksum, "bad-checksum", true, 1,
     "send each reply with a wrong checksum N times before a good one (default 1)"},
    {FaultKind::LowerCaseChecksum, "lower-case-checksum", false, 0,
     "write reply checksums in lower-case hex digits"},
    {FaultKind::NonHexValue, "bad-value-char", false, 0,
     "put a non-hex character into each reply's value (checksum still right)"},
    {FaultKind::CutReply, "cut-reply", true, 0,
     "send only the first 6 bytes of the first N replies (default: all)"},
    {FaultKind::HangUp, "hangup", false, 0,
     "close the line when the first frame arrives, in the middle of the exchange"},
    {FaultKind::ForgetWrites, "forget-writes", false, 0,
     "acknowledge every written value but keep the old one"},
}};

}  // namespace

Fault ParseFault(std::string_view text) {
    const auto eq = text.find('=');
    const std::string_view name = text.substr(0, eq);
    for (const FaultName& f : kFaults) {
        if (f.name != name) {
            continue;
        }
        Fault fault{f.kind, f.defaultCount};
        if (eq == std::string_view::npos) {
            return fault;
        }
        const std::string_view number = text.substr(eq + 1);
        if (!f.takesCount) {
            throw std::invalid_argument("fault \"" + std::string(name) + "\" takes no count");
        }
        const auto [end, ec] =
            std::from_chars(number.data(), number.data() + number.size(), fault.count);
        if (ec != std::errc() || end != number.data() + number.size() || number.empty() ||
            fault.count < 1) {
            throw std::invalid_argument("bad count \"" + std::string(number) + "\" for fault \"" +
                                        std::string(name) + "\" (want a number of at least 1)");
        }
        return fault;
    }
    throw std::invalid_argument("unknown fault \"" + std::string(text) + "\"; known faults:\n" +
                                FaultHelp());
}

std::string ToString(const Fault& fault) {
    for (const FaultName& f : kFaults) {
        if (f.kind == fault.kind) {
            std::string text(f.name);
            if (f.takesCount && fault.count > 0) {
                text += "=" + std::to_string(fault.count);
            }
            return text;
        }
    }
    return "?";
}

std::string FaultHelp() {
    std::string text;
    for (const FaultName& f : kFaults) {
        std::string name(f.name);
        if (f.takesCount) {
            name += "[=N]";
        }
        name.resize(24, ' ');
        text += "  " + name + std::string(f.help) + "\n";
    }
    return text;
}

}  // namespace tavin::sim
