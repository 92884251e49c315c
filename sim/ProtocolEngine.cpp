#include "ProtocolEngine.h"

#include <cstdio>

namespace tavin::sim {

namespace {

// The host never sends more text than this; a longer run without ETX is a broken frame.
constexpr size_t kMaxText = 22;
constexpr size_t kItemMessageLength = 14;
constexpr uint8_t kWrongEnqAnswer = '?';
constexpr uint8_t kNonHexValueChar = 'G';
constexpr size_t kCutReplyLength = 6;
// The host takes at most four bad replies to one request and then asks again; a fifth reply
// would arrive while it is already announcing the next request and spoil that handshake.
constexpr int kMaxRepliesPerRequest = 4;
// Bytes a noisy line delivers ahead of a reply; none of them is STX.
constexpr uint8_t kNoise[] = {0x00, 0xFF, 0x7E, 0x30};

// The host writes upper-case digits only; the camera holds it to that.
int UpperHexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

int HexPair(const std::string& text, size_t at) {
    const int high = UpperHexDigit(text[at]);
    const int low = UpperHexDigit(text[at + 1]);
    return high < 0 || low < 0 ? -1 : high * 16 + low;
}

std::string Hex2(unsigned value, bool lowerCase = false) {
    char text[3];
    std::snprintf(text, sizeof text, lowerCase ? "%02x" : "%02X", value & 0xFF);
    return text;
}

MonitorEvent Note(EventKind kind, std::string detail, std::string answer = {}) {
    MonitorEvent event;
    event.kind = kind;
    event.detail = std::move(detail);
    event.answer = std::move(answer);
    return event;
}

std::string Printable(uint8_t byte) {
    if (byte >= 0x20 && byte < 0x7F) {
        return "'" + std::string(1, static_cast<char>(byte)) + "'";
    }
    return "0x" + Hex2(byte);
}

// A first-group value travels most significant byte first within the item's width, padded with
// zero bytes; a second-group value travels least significant byte first in three bytes. A
// one-byte first-group item has nothing to reorder, so a larger value in it (the two characters
// of a partial-scan text pair) keeps its bytes in the second group's order.
int32_t DecodeValue(CommandGroup group, int width, const uint8_t (&pairs)[3]) {
    if (group == CommandGroup::Second) {
        return pairs[0] | pairs[1] << 8 | pairs[2] << 16;
    }
    if (width <= 1) {
        return pairs[0] | pairs[1] << 8 | pairs[2] << 16;
    }
    int32_t value = 0;
    for (int i = 0; i < width; ++i) {
        value = value << 8 | pairs[i];
    }
    return value;
}

std::string EncodeValue(CommandGroup group, int width, int32_t value) {
    uint8_t pairs[3] = {0, 0, 0};
    if (width <= 1) {
        group = CommandGroup::Second;  // same byte order, see DecodeValue
    }
    for (int i = 0; i < 3; ++i) {
        const int shift = group == CommandGroup::Second ? 8 * i : 8 * (width - 1 - i);
        pairs[i] = i < (group == CommandGroup::Second ? 3 : width) ? (value >> shift) & 0xFF : 0;
    }
    return Hex2(pairs[0]) + Hex2(pairs[1]) + Hex2(pairs[2]);
}

}  // namespace

uint8_t FrameChecksum(const uint8_t* bytes, size_t count) {
    unsigned sum = 0;
    for (size_t i = 0; i < count; ++i) {
        sum += bytes[i];
    }
    return static_cast<uint8_t>(0xFF - (sum & 0xFF));
}

ProtocolEngine::ProtocolEngine(CameraSettings settings) : settings_(std::move(settings)) {}

void ProtocolEngine::SetFault(const Fault& fault) {
    fault_ = fault;
    repliesCut_ = 0;
}

void ProtocolEngine::Report(MonitorEvent event) const {
    if (observer_) {
        observer_(event);
    }
}

std::vector<uint8_t> ProtocolEngine::OnByte(uint8_t byte) {
    if (state_ == State::Closed) {
        return {};
    }
    // ENQ never occurs inside a frame or a verdict, so it always starts a new exchange, whatever
    // was left half done before: that is how the camera recovers from a host that gave up.
    if (byte == kEnq) {
        return OnEnq();
    }
    switch (state_) {
        case State::Idle:
        case State::Closed:
            break;
        case State::AwaitFrame:
            if (byte == kStx) {
                text_.clear();
                state_ = State::InText;
                return {};
            }
            break;
        case State::InText:
            if (byte == kStx) {
                text_.clear();
            } else if (byte == kEtx) {
                checksum_.clear();
                state_ = State::InChecksum;
            } else if (text_.size() == kMaxText) {
                return RefuseFrame("text longer than " + std::to_string(kMaxText) +
                                   " characters without ETX");
            } else {
                text_ += static_cast<char>(byte);
            }
            return {};
        case State::InChecksum:
            checksum_ += static_cast<char>(byte);
            return checksum_.size() == 2 ? OnFrame() : std::vector<uint8_t>{};
        case State::AwaitReplyAck:
            if (byte == kAck) {
                Report(Note(EventKind::ReplyAccepted, "ACK"));
                state_ = State::Idle;
                return {};
            }
            if (byte == kNak) {
                if (repliesThisRequest_ == kMaxRepliesPerRequest) {
                    Report(Note(EventKind::ReplyRejected, "", "give up on this request"));
                    state_ = State::Idle;
                    return {};
                }
                Report(Note(EventKind::ReplyRejected, "", "reply again"));
                return SendReply();
            }
            break;
    }
    Report(Note(EventKind::Stray, Printable(byte)));
    return {};
}

std::vector<uint8_t> ProtocolEngine::OnEnq() {
    if (state_ == State::AwaitReplyAck) {
        // The host's purge before its next message can discard its own ACK on a pseudo-terminal,
        // so a new ENQ means the reply was taken.
        Report(Note(EventKind::ReplyAccepted, "ENQ"));
    }
    framesIgnoredThisExchange_ = 0;
    switch (fault_.kind) {
        case FaultKind::Silent:
            state_ = State::Idle;
            Report(Note(EventKind::Enq, "", "nothing (silent)"));
            return {};
        case FaultKind::EnqNak:
            state_ = State::Idle;
            Report(Note(EventKind::Enq, "", "NAK (fault)"));
            return {kNak};
        case FaultKind::EnqWrongByte:
            state_ = State::Idle;
            Report(Note(EventKind::Enq, "", Printable(kWrongEnqAnswer) + " (fault)"));
            return {kWrongEnqAnswer};
        default:
            state_ = State::AwaitFrame;
            Report(Note(EventKind::Enq, "", "ACK"));
            return {kAck};
    }
}

void ProtocolEngine::HangUp(const std::string& why) {
    if (state_ != State::Closed) {
        state_ = State::Closed;
        Report(Note(EventKind::HangUp, why));
    }
}

std::vector<uint8_t> ProtocolEngine::RefuseFrame(const std::string& why) {
    state_ = State::AwaitFrame;
    Report(Note(EventKind::BadFrame, why, "NAK"));
    return {kNak};
}

std::vector<uint8_t> ProtocolEngine::OnFrame() {
    state_ = State::AwaitFrame;  // unless the message says otherwise below
    std::vector<uint8_t> framed{kStx};
    framed.insert(framed.end(), text_.begin(), text_.end());
    framed.push_back(kEtx);
    const uint8_t expected = FrameChecksum(framed.data(), framed.size());
    const int received = HexPair(checksum_, 0);
    if (received != expected) {
        return RefuseFrame("\"" + text_ + "\" checksum \"" + checksum_ + "\", expected \"" +
                           Hex2(expected) + "\"");
    }
    if (fault_.kind == FaultKind::IgnoreFrame &&
        (fault_.count == 0 || framesIgnoredThisExchange_ < fault_.count)) {
        ++framesIgnoredThisExchange_;
        Report(Note(EventKind::BadFrame, "\"" + text_ + "\" left unanswered", "nothing (fault)"));
        return {};
    }
    if (fault_.kind == FaultKind::HangUp) {
        HangUp("after frame \"" + text_ + "\" (fault)");
        return {};
    }
    uint8_t fields[7];
    for (size_t i = 0; i < 7; ++i) {
        const int pair = text_.size() == kItemMessageLength ? HexPair(text_, 2 * i) : -1;
        if (pair < 0) {
            return RefuseFrame("\"" + text_ + "\" is not a 14-digit upper-case hex message");
        }
        fields[i] = static_cast<uint8_t>(pair);
    }
    return OnItemMessage(fields);
}

std::vector<uint8_t> ProtocolEngine::OnItemMessage(const uint8_t (&fields)[7]) {
    // fields: two header bytes, command, item number, three value bytes.
    const uint8_t command = fields[2];
    const uint8_t item = fields[3];
    const CommandGroup group = GroupOfCommand(command);
    MonitorEvent event = Note(EventKind::OtherCommand, text_, "ACK");
    event.command = command;
    event.item = item;
    event.label = settings_.LabelOf(group, item);
    std::vector<uint8_t> answer{kAck};
    if (IsWriteCommand(command)) {
        const uint8_t pairs[3] = {fields[4], fields[5], fields[6]};
        const int32_t value = DecodeValue(group, settings_.WidthOf(group, item), pairs);
        if (fault_.kind != FaultKind::ForgetWrites) {
            settings_.Set(group, item, value);
        }
        event.kind = EventKind::Write;
        event.value = value;
        state_ = State::Idle;
    } else if (IsReadCommand(command)) {
        event.kind = EventKind::Read;
        replyCommand_ = command;
        replyItem_ = item;
        badRepliesThisRequest_ = 0;
        repliesThisRequest_ = 0;
        Report(event);
        const std::vector<uint8_t> reply = SendReply();
        answer.insert(answer.end(), reply.begin(), reply.end());
        return answer;
    } else {
        state_ = State::Idle;
    }
    Report(event);
    return answer;
}

std::vector<uint8_t> ProtocolEngine::SendReply() {
    const CommandGroup group = GroupOfCommand(replyCommand_);
    const int32_t value = settings_.Get(group, replyItem_);
    std::string chars = EncodeValue(group, settings_.WidthOf(group, replyItem_), value);
    MonitorEvent event = Note(EventKind::Reply, "");
    event.command = replyCommand_;
    event.item = replyItem_;
    event.label = settings_.LabelOf(group, replyItem_);
    event.value = value;
    std::string note;
    if (fault_.kind == FaultKind::NonHexValue) {
        chars[0] = static_cast<char>(kNonHexValueChar);
        note = ", value spoilt (fault)";
    }

    std::vector<uint8_t> reply{kStx};
    reply.insert(reply.end(), chars.begin(), chars.end());
    reply.push_back(kEtx);
    uint8_t sum = FrameChecksum(reply.data(), reply.size());
    if (fault_.kind == FaultKind::BadReplyChecksum && badRepliesThisRequest_ < fault_.count) {
        ++badRepliesThisRequest_;
        sum = static_cast<uint8_t>(sum + 1);
        note = ", checksum spoilt (fault)";
    }
    const std::string sumChars = Hex2(sum, fault_.kind == FaultKind::LowerCaseChecksum);
    reply.insert(reply.end(), sumChars.begin(), sumChars.end());

    if (fault_.kind == FaultKind::NoiseBeforeReply) {
        reply.insert(reply.begin(), std::begin(kNoise), std::end(kNoise));
        note = ", after noise (fault)";
    }
    if (fault_.kind == FaultKind::CutReply && (fault_.count == 0 || repliesCut_ < fault_.count)) {
        ++repliesCut_;
        reply.resize(kCutReplyLength);
        note = ", cut short (fault)";
    }
    ++repliesThisRequest_;
    event.detail = chars + " sum " + sumChars + note;
    Report(event);
    state_ = State::AwaitReplyAck;
    return reply;
}

}  // namespace tavin::sim
