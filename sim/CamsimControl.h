#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "PtyCameraServer.h"

// Commands that change a running simulated camera, one a line, so that a person at the terminal
// or a test writing to the control FIFO can pull the cable mid-session: "fault silent",
// "fault none", "hangup", "load FILE.tvn", "status", "help".

namespace tavin::sim {

// Splits what arrives in pieces into lines. A line longer than kMaxLine is handed on cut to
// kMaxLine + 1 characters, which the command runner refuses.
class LineSplitter {
  public:
    static constexpr size_t kMaxLine = 1024;

    std::vector<std::string> Take(std::string_view bytes);

  private:
    std::string partial_;
};

// Runs one command line; returns the answer for the user (one or more lines, no final newline),
// starting with "error: " when the command was refused; nothing for an empty line. Never throws
// for bad input.
std::string RunControlCommand(PtyCameraServer& server, std::string_view line);

std::string ControlHelp();

}  // namespace tavin::sim
