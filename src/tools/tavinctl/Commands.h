#pragma once

#include <ostream>

#include "CtlOptions.h"

// The commands of tavinctl. Each returns the program's exit status.

namespace tavin::ctl {

enum ExitStatus : int {
    kSuccess = 0,
    kFailure = 1,     // the camera or a file failed; for diff: the files differ
    kUsageError = 2,  // the command line is wrong; for diff: the files could not be compared
};

struct Streams {
    std::ostream& out;
    std::ostream& err;
    bool progress = false;  // show progress on err
};

// Without a camera.
int RunDump(const CtlOptions& options, Streams io);
int RunDiff(const CtlOptions& options, Streams io);
// The host's serial ports and the COM map; edits the map, probes for cameras.
int RunPorts(const CtlOptions& options, Streams io);

// With the camera (they construct the program's data set and open the link).
int RunCameraCommand(const CtlOptions& options, Streams io);

}  // namespace tavin::ctl
