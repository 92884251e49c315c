#pragma once

#include <string>
#include <vector>

#include "ControlCommands.h"

// Where the control commands come from on a system with FIFOs: standard input and a FIFO for
// tavin-camsim, a FIFO alone for the board library.

namespace tavin::sim {

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

// Runs the commands that arrive on `inputFds` (-1 entries are skipped) and hands each answer to
// `print`, until `stopFd` becomes readable. An input that ends is ignored from then on.
void TakeCommands(ControlledCamera& camera, int stopFd, const std::vector<int>& inputFds,
                  const AnswerPrinter& print);

}  // namespace tavin::sim
