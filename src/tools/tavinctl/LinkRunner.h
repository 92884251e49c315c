#pragma once

#include "Commands.h"

// One command on several cameras at once. Each link runs in a child process of its own, so
// that nothing the core keeps per process (the user-interface hook, the transfer trace, the
// Camera Link library and its vendor code) is shared between two links, and a link that hangs
// or crashes takes no other with it. The children report through a pipe; results are printed
// as each link finishes (LinkReport.h). An interrupt reaches every link process, which stops
// after the item in hand and says how far it got; no link process outlives the parent.

namespace tavin::ctl {

// Runs the prepared `job` on every link of options.links; options.outputFile, if given, is a
// directory (the caller checked). kSuccess only when each link succeeded (OverallStatus),
// InterruptedExitStatus() when an interrupt came.
int RunOnLinks(const CtlOptions& options, const CameraJob& job, Streams io);

}  // namespace tavin::ctl
