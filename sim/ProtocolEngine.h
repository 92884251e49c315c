#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "CameraSettings.h"
#include "Fault.h"
#include "MonitorEvent.h"

// The camera's side of the serial protocol, one byte at a time and without any notion of time:
// ENQ is acknowledged, a framed message (STX, text, ETX, two checksum digits) is checked and
// acknowledged or refused, a write is applied and a read is answered with a 10-byte reply that
// waits for the host's verdict.

namespace tavin::sim {

inline constexpr uint8_t kStx = 0x02;
inline constexpr uint8_t kEtx = 0x03;
inline constexpr uint8_t kEnq = 0x05;
inline constexpr uint8_t kAck = 0x06;
inline constexpr uint8_t kNak = 0x15;

// Ones' complement of the byte sum; also used by tests to build frames the camera must accept.
uint8_t FrameChecksum(const uint8_t* bytes, size_t count);

class ProtocolEngine {
  public:
    using Observer = std::function<void(const MonitorEvent&)>;

    explicit ProtocolEngine(CameraSettings settings = CameraSettings());

    void SetFault(const Fault& fault);
    const Fault& GetFault() const { return fault_; }
    void SetObserver(Observer observer) { observer_ = std::move(observer); }

    // Takes one byte from the host; returns what the camera sends in answer (often nothing).
    std::vector<uint8_t> OnByte(uint8_t byte);

    // True once the camera has closed the line; it then takes and sends nothing more.
    bool HungUp() const { return state_ == State::Closed; }
    // Closes the line now, as a pulled cable does; `why` goes to the monitor.
    void HangUp(const std::string& why);

    CameraSettings& Settings() { return settings_; }
    const CameraSettings& Settings() const { return settings_; }

  private:
    enum class State { Idle, AwaitFrame, InText, InChecksum, AwaitReplyAck, Closed };

    std::vector<uint8_t> OnEnq();
    std::vector<uint8_t> OnFrame();
    std::vector<uint8_t> OnItemMessage(const uint8_t (&fields)[7]);
    std::vector<uint8_t> SendReply();
    std::vector<uint8_t> RefuseFrame(const std::string& why);
    void Report(MonitorEvent event) const;

    CameraSettings settings_;
    Fault fault_;
    Observer observer_;

    State state_ = State::Idle;
    std::string text_;
    std::string checksum_;
    // The read being answered.
    uint8_t replyCommand_ = 0;
    uint8_t replyItem_ = 0;
    int repliesThisRequest_ = 0;
    int badRepliesThisRequest_ = 0;
    int framesIgnoredThisExchange_ = 0;
    int repliesCut_ = 0;
};

}  // namespace tavin::sim
