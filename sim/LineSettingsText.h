#pragma once

#include <termios.h>

#include <string>

namespace tavin::sim {

// A terminal's line settings as people write them: "19200 8N2", with " RTS/CTS" or " XON/XOFF"
// when the line has flow control.
std::string LineSettingsText(const termios& tio);

// The line's speed in baud, or 0 for a speed not among the usual ones.
long LineBaud(const termios& tio);

}  // namespace tavin::sim
