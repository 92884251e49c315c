#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "PtyCameraServer.h"

// Commands that change a running simulated camera, one a line, so that a person at the terminal
// or a test writing to the control FIFO can pull the cable mid-session: "fault silent",
// "fault none", "hangup", "load FILE.tvn", "status", "help". They are read on the program's main
// thread; the server locks its own state, so they never race its serving thread.

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

// A FIFO for commands, made at start and removed at the end. A stale one from an earlier run that
// was killed is replaced; anything else at the path is left alone. Throws std::system_error.
class ControlFifo {
  public:
    explicit ControlFifo(std::string path);  // empty: no FIFO
    ~ControlFifo();
    ControlFifo(const ControlFifo&) = delete;
    ControlFifo& operator=(const ControlFifo&) = delete;

    int Fd() const { return fd_; }  // -1 without a FIFO

  private:
    std::string path_;
    int fd_ = -1;
};

// Runs the commands that arrive on standard input and on `fifoFd` (-1: none) and hands each
// answer to `print`, until `stopFd` becomes readable.
void TakeCommands(PtyCameraServer& server, int stopFd, int fifoFd,
                  const std::function<void(const std::string&)>& print);

}  // namespace tavin::sim
