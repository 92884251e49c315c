#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "NetworkStream.h"
#include "SerialDevice.h"

// Opening a serial port through a telnet com-port server (RFC 2217): agreeing on the options,
// setting the remote line and checking every answer the port's use depends on.

namespace tavin {

struct ComPortSetup {
    enum class Outcome {
        kReady,             // the line is set; `notes` tell what the server will not do
        kClosed,            // a telnet server closed the connection during the setup
        kNotComPortServer,  // no telnet, no com-port control, or a broken protocol
        kRefused,           // the server refused or left unanswered the line settings
    };
    Outcome outcome = Outcome::kReady;
    std::string failure;             // what went wrong, in words for the diagnostic channel
    std::vector<std::string> notes;  // kReady: each limit of this server, to be told once
};

// Sets up the freshly connected `stream` for `settings`, allowing the server `replyTime` for
// each step.
ComPortSetup SetUpComPort(NetworkStream& stream, const LineSettings& settings,
                          std::chrono::milliseconds replyTime,
                          const NetworkStream::WhileWaiting& whileWaiting);

}  // namespace tavin
