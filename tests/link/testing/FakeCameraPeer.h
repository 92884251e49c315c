#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

// The camera side of the serial protocol, for tests. By default it behaves like a healthy
// camera: ACK to ENQ, ACK to a good message (storing written values), a 10-byte reply after the
// ACK of a read message, the reply again after a NAK. Tests script other answers per event.
// It only turns host bytes into answers; a fake device or a pseudo-terminal loop delivers them.

namespace tavin::testing {

class FakeCameraPeer {
  public:
    // Bytes the camera sends, `delayMs` after the event that caused them (or after the
    // previous chunk of the same answer).
    struct Chunk {
        uint32_t delayMs = 0;
        std::vector<uint8_t> bytes;
    };
    using Answer = std::vector<Chunk>;  // empty: the camera stays silent

    enum class Event { kEnq, kFrame, kReplyAck, kReplyNak };

    // Host bytes in, camera answers out.
    std::vector<Chunk> Receive(const uint8_t* bytes, size_t count);

    // The next `times` occurrences of `event` get `answer` instead of the default one.
    void Script(Event event, const Answer& answer, int times = 1);
    // A silent camera answers nothing at all.
    void SetSilent(bool silent) { silent_ = silent; }
    void SetResponseDelay(uint32_t ms) { delayMs_ = ms; }

    // Values as they travel: the three value bytes of the message, least significant first.
    void SetItem(uint8_t item, uint32_t wireValue) { items_[item] = wireValue; }
    uint32_t Item(uint8_t item) const;

    // What the camera has seen.
    int EnqCount() const { return counts_[0]; }
    int FrameCount() const { return counts_[1]; }
    int AckCount() const { return counts_[2]; }
    int NakCount() const { return counts_[3]; }
    const std::vector<std::string>& Texts() const { return texts_; }  // text of every message
    const std::vector<uint8_t>& Received() const { return received_; }

    // Helpers for scripted answers.
    static std::vector<uint8_t> ReplyFor(uint32_t wireValue);              // a valid 10-byte reply
    static std::vector<uint8_t> ReplyWithText(const char* sixCharacters);  // checksum fitted
    static Answer Bytes(std::vector<uint8_t> bytes, uint32_t delayMs = 2);

  private:
    Answer Default(Event event, const std::string& text, bool checksumOk);
    Answer OnEvent(Event event, const std::string& text = {}, bool checksumOk = true);

    enum class State { kIdle, kText, kChecksum };
    State state_ = State::kIdle;
    std::vector<uint8_t> frame_;
    int checksumChars_ = 0;

    bool silent_ = false;
    uint32_t delayMs_ = 2;
    std::map<uint8_t, uint32_t> items_;
    std::map<Event, std::deque<Answer>> scripts_;
    std::vector<uint8_t> lastReply_;
    int counts_[4] = {};
    std::vector<std::string> texts_;
    std::vector<uint8_t> received_;
};

}  // namespace tavin::testing
