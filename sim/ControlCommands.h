#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "FactoryTable.h"
#include "Fault.h"

// Commands that change a running simulated camera, one a line, so that a person at the terminal
// or a test writing to a control FIFO can pull the cable mid-session: "fault silent",
// "fault none", "hangup", "load FILE.tvn", "status", "help". tavin-camsim reads them on its
// standard input and its --control FIFO; the board library from the FIFO CLSERSIM_CONTROL names.
// They arrive on a thread of their own; each camera locks its own state, so they never race the
// thread that serves the host.

namespace tavin::sim {

// What the commands change. Every call is safe from any thread while the camera serves.
class ControlledCamera {
  public:
    virtual ~ControlledCamera() = default;

    virtual void SetFault(const Fault& fault) = 0;
    virtual Fault CurrentFault() const = 0;
    // Takes the values of a data file, as the start-up state does.
    virtual void Load(std::span<const int32_t, kFactoryItemCount> values) = 0;
    // Closes the line for good now, as a pulled cable does.
    virtual void HangUp() = 0;
    virtual bool LineOpen() = 0;
    virtual uint64_t BytesFromHost() const = 0;
    virtual uint64_t BytesToHost() const = 0;
};

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
std::string RunControlCommand(ControlledCamera& camera, std::string_view line);

std::string ControlHelp();

using AnswerPrinter = std::function<void(const std::string&)>;

// Takes commands for a camera on a thread of its own until it is destroyed.
class CommandListener {
  public:
    virtual ~CommandListener() = default;
};

// Makes a FIFO at `fifoPath` (removed again at the end) and runs every command line written to
// it, handing each answer to `print`. Throws std::system_error when the FIFO cannot be made, and
// std::invalid_argument on a system without FIFOs.
std::unique_ptr<CommandListener> ListenOnFifo(const std::string& fifoPath, ControlledCamera& camera,
                                              AnswerPrinter print);

}  // namespace tavin::sim
