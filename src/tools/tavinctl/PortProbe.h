#pragma once

#include <string>
#include <vector>

#include "ParallelTasks.h"

// Whether a camera answers on a port: one ENQ at 19200 baud and, when nothing answers, one at
// 9600. Nothing else is sent, so no camera item can change. A port someone else uses is not
// touched at all, and a probed port is left with the line settings and modem lines it had.

namespace tavin::ctl {

struct ProbeResult {
    enum class Outcome { kCamera, kNoAnswer, kBusy, kNoAccess, kCannotOpen };
    Outcome outcome = Outcome::kCannotOpen;
    int baud = 0;        // kCamera: the rate it answered at; 0 over raw TCP (the server's rate)
    std::string detail;  // kBusy: who uses it, where known ("kernel console")
};

// Asks the devices at once, each in a process of its own, after leaving out the local ones
// that another program uses (PortUse.h): the local ports together, then the network addresses,
// those of one host one after the other. The results are in the order of `devices`.
std::vector<ProbeResult> ProbePorts(const std::vector<std::string>& devices);

// What each probe process does: probes the devices of its input, one a line, one after the other.
extern const ProcessTask kProbeTask;

// "camera at 19200 baud", "no answer", "busy (kernel console)", ...
std::string DescribeProbe(const ProbeResult& result);
// "camera", "no-answer", "busy", "no-access", "cannot-open", for programs.
std::string ProbeOutcomeName(ProbeResult::Outcome outcome);

}  // namespace tavin::ctl
