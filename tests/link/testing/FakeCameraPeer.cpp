#include "FakeCameraPeer.h"

#include <algorithm>
#include <cstdio>

namespace tavin::testing {

namespace {
constexpr uint8_t kStx = 0x02, kEtx = 0x03, kEnq = 0x05, kAck = 0x06, kNak = 0x15;

// Written from the protocol description on purpose, not with the host's helpers: a mistake
// shared by both sides would go unseen.
uint8_t ComplementSum(const std::vector<uint8_t>& bytes, size_t count) {
    unsigned sum = 0;
    for (size_t i = 0; i < count; ++i) {
        sum = (sum + bytes[i]) % 256;
    }
    return static_cast<uint8_t>(255 - sum);
}

int Nibble(uint8_t c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

int ByteAt(const std::string& text, size_t at) {
    if (at + 2 > text.size())
        return -1;
    const int high = Nibble(static_cast<uint8_t>(text[at]));
    const int low = Nibble(static_cast<uint8_t>(text[at + 1]));
    return high < 0 || low < 0 ? -1 : high * 16 + low;
}
}  // namespace

std::vector<uint8_t> FakeCameraPeer::ReplyFor(uint32_t wireValue) {
    char text[8];
    std::snprintf(text, sizeof(text), "%02X%02X%02X", wireValue & 0xFF, (wireValue >> 8) & 0xFF,
                  (wireValue >> 16) & 0xFF);
    return ReplyWithText(text);
}

std::vector<uint8_t> FakeCameraPeer::ReplyWithText(const char* text) {
    std::vector<uint8_t> reply(8);
    reply[0] = kStx;
    std::copy(text, text + 6, reply.begin() + 1);
    reply[7] = kEtx;
    char checksum[3];
    std::snprintf(checksum, sizeof(checksum), "%02X", ComplementSum(reply, reply.size()));
    reply.push_back(static_cast<uint8_t>(checksum[0]));
    reply.push_back(static_cast<uint8_t>(checksum[1]));
    return reply;
}

FakeCameraPeer::Answer FakeCameraPeer::Bytes(std::vector<uint8_t> bytes, uint32_t delayMs) {
    return {Chunk{delayMs, std::move(bytes)}};
}

uint32_t FakeCameraPeer::Item(uint8_t item) const {
    const auto found = items_.find(item);
    return found == items_.end() ? 0 : found->second;
}

void FakeCameraPeer::Script(Event event, const Answer& answer, int times) {
    for (int i = 0; i < times; ++i) {
        scripts_[event].push_back(answer);
    }
}

std::vector<FakeCameraPeer::Chunk> FakeCameraPeer::Receive(const uint8_t* bytes, size_t count) {
    std::vector<Chunk> out;
    auto add = [&out](Answer answer) {
        for (Chunk& chunk : answer) {
            out.push_back(std::move(chunk));
        }
    };
    for (size_t i = 0; i < count; ++i) {
        const uint8_t byte = bytes[i];
        received_.push_back(byte);
        switch (state_) {
            case State::kIdle:
                if (byte == kEnq) {
                    add(OnEvent(Event::kEnq));
                } else if (byte == kAck) {
                    add(OnEvent(Event::kReplyAck));
                } else if (byte == kNak) {
                    add(OnEvent(Event::kReplyNak));
                } else if (byte == kStx) {
                    frame_.assign(1, byte);
                    state_ = State::kText;
                }
                break;
            case State::kText:
                frame_.push_back(byte);
                if (byte == kEtx) {
                    state_ = State::kChecksum;
                    checksumChars_ = 0;
                }
                break;
            case State::kChecksum: {
                frame_.push_back(byte);
                if (++checksumChars_ < 2) {
                    break;
                }
                state_ = State::kIdle;
                const size_t textEnd = frame_.size() - 3;
                const std::string text(frame_.begin() + 1, frame_.begin() + textEnd);
                const int sent = ByteAt(std::string(frame_.end() - 2, frame_.end()), 0);
                add(OnEvent(Event::kFrame, text, sent == ComplementSum(frame_, textEnd + 1)));
                break;
            }
        }
    }
    return out;
}

FakeCameraPeer::Answer FakeCameraPeer::OnEvent(Event event, const std::string& text,
                                               bool checksumOk) {
    ++counts_[static_cast<int>(event)];
    if (event == Event::kFrame) {
        texts_.push_back(text);
        const int command = ByteAt(text, 4);
        const int item = ByteAt(text, 6);
        if (checksumOk && item >= 0 && (command == 0x03 || command == 0x04)) {
            // What a NAK gets again, even when the test scripted the first reply.
            lastReply_ = ReplyFor(Item(static_cast<uint8_t>(item)));
        }
    }
    if (silent_) {
        return {};
    }
    auto& script = scripts_[event];
    if (!script.empty()) {
        Answer answer = script.front();
        script.pop_front();
        return answer;
    }
    return Default(event, text, checksumOk);
}

FakeCameraPeer::Answer FakeCameraPeer::Default(Event event, const std::string& text,
                                               bool checksumOk) {
    switch (event) {
        case Event::kEnq:
            return Bytes({kAck}, delayMs_);
        case Event::kReplyAck:
            return {};
        case Event::kReplyNak:
            return lastReply_.empty() ? Answer{} : Bytes(lastReply_, delayMs_);
        case Event::kFrame:
            break;
    }
    if (!checksumOk) {
        return Bytes({kNak}, delayMs_);
    }
    const int command = ByteAt(text, 4);
    const int item = ByteAt(text, 6);
    if (item < 0) {
        return Bytes({kAck}, delayMs_);  // not an item message; accept it
    }
    if (command == 0x01 || command == 0x02) {
        const int b0 = ByteAt(text, 8), b1 = ByteAt(text, 10), b2 = ByteAt(text, 12);
        if (b0 >= 0 && b1 >= 0 && b2 >= 0) {
            items_[static_cast<uint8_t>(item)] = static_cast<uint32_t>(b0 | b1 << 8 | b2 << 16);
        }
        return Bytes({kAck}, delayMs_);
    }
    if (command == 0x03 || command == 0x04) {
        Answer answer = Bytes({kAck}, delayMs_);
        answer.push_back(Chunk{delayMs_, lastReply_});
        return answer;
    }
    return Bytes({kAck}, delayMs_);
}

}  // namespace tavin::testing
