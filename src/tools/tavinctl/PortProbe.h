#pragma once

#include <string>

// Whether a camera answers on a port: one ENQ at 19200 baud and, when nothing answers, one at
// 9600. Nothing else is sent, so no camera item can change.

namespace tavin::ctl {

struct ProbeResult {
    enum class Outcome { kCamera, kNoAnswer, kBusy, kNoAccess, kCannotOpen };
    Outcome outcome = Outcome::kCannotOpen;
    int baud = 0;  // kCamera: the rate it answered at; 0 over raw TCP (the server's rate)
};

ProbeResult ProbePort(const std::string& device);

// "camera at 19200 baud", "no answer", "busy", ...
std::string DescribeProbe(const ProbeResult& result);
// "camera", "no-answer", "busy", "no-access", "cannot-open", for programs.
std::string ProbeOutcomeName(ProbeResult::Outcome outcome);

}  // namespace tavin::ctl
