#include "MonitorEvent.h"

#include <cstdio>

namespace tavin::sim {

namespace {

std::string Hex2(uint8_t value) {
    char text[3];
    std::snprintf(text, sizeof text, "%02X", value);
    return text;
}

std::string ItemText(const MonitorEvent& e) {
    std::string text = "cmd " + Hex2(e.command) + " item " + Hex2(e.item);
    if (!e.label.empty()) {
        text += " " + e.label;
    }
    return text;
}

std::string ValueText(const MonitorEvent& e) {
    return e.value ? " = " + std::to_string(*e.value) : std::string{};
}

std::string Answer(const MonitorEvent& e) {
    return e.answer.empty() ? "" : "  -> " + e.answer;
}

}  // namespace

std::string FormatEvent(const MonitorEvent& e) {
    switch (e.kind) {
        case EventKind::Enq:
            return "host   ENQ" + Answer(e);
        case EventKind::Write:
            return "host   write " + ItemText(e) + ValueText(e) + " [" + e.detail + "]" + Answer(e);
        case EventKind::Read:
            return "host   read  " + ItemText(e) + " [" + e.detail + "]" + Answer(e);
        case EventKind::OtherCommand:
            return "host   command " + ItemText(e) + " [" + e.detail + "] ignored" + Answer(e);
        case EventKind::BadFrame:
            return "host   bad frame: " + e.detail + Answer(e);
        case EventKind::Reply:
            return "camera reply " + ItemText(e) + ValueText(e) + " [" + e.detail + "]";
        case EventKind::ReplyAccepted:
            return "host   " + e.detail + " (reply accepted)";
        case EventKind::ReplyRejected:
            return "host   NAK (reply refused)" + Answer(e);
        case EventKind::Stray:
            return "host   stray byte " + e.detail + " ignored";
        case EventKind::HangUp:
            return "camera hangs up: " + e.detail;
    }
    return "?";
}

std::string FormatMonitorLine(std::chrono::nanoseconds elapsed, const MonitorEvent& event) {
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%11.6f  ", std::chrono::duration<double>(elapsed).count());
    return stamp + FormatEvent(event);
}

}  // namespace tavin::sim
