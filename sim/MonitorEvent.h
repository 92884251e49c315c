#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

// One decoded step of a conversation with the host, for the protocol monitor.

namespace tavin::sim {

enum class EventKind {
    Enq,            // host announced a message
    Write,          // host wrote an item
    Read,           // host asked for an item
    OtherCommand,   // a well-formed message with a command the camera does not act on
    BadFrame,       // a frame the camera refused
    Reply,          // camera sent a read reply
    ReplyAccepted,  // host took the reply
    ReplyRejected,  // host refused the reply
    Stray,          // a byte that belongs to no message
    HangUp,         // camera closed the line
};

struct MonitorEvent {
    EventKind kind = EventKind::Stray;
    uint8_t command = 0;
    uint8_t item = 0;
    std::string label;
    std::optional<int32_t> value;
    std::string detail;  // message text, reply characters or what went wrong
    std::string answer;  // what the camera answered ("ACK", "NAK", "nothing", ...)
};

// One line of the monitor, without time stamp.
std::string FormatEvent(const MonitorEvent& event);
// The same, behind the seconds elapsed since the camera started.
std::string FormatMonitorLine(std::chrono::nanoseconds elapsed, const MonitorEvent& event);

}  // namespace tavin::sim
