#pragma once

#include <ostream>
#include <vector>

#include "CtlOptions.h"
#include "DataFileCodec.h"

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
    bool progress = false;           // show progress
    std::ostream* status = nullptr;  // where progress goes; err when null
};

// Without a camera.
int RunDump(const CtlOptions& options, Streams io);
int RunDiff(const CtlOptions& options, Streams io);
// The host's serial ports and the COM map; edits the map, probes for cameras.
int RunPorts(const CtlOptions& options, Streams io);

// With the camera (they construct the program's data set and open the link).
int RunCameraCommand(const CtlOptions& options, Streams io);

// What a camera command needs from its operands, checked before any camera is touched.
struct CameraJob {
    std::vector<int> items;  // get
    struct Assignment {
        int index;
        int32_t value;
    };
    std::vector<Assignment> assignments;  // set
    DataFileValues file{};                // write, diff
};
// kSuccess, or the exit status after the error was printed.
int PrepareCameraJob(const CtlOptions& options, Streams io, CameraJob& job);
// Runs a prepared job on `link`.
int RunCameraJob(const CtlOptions& options, const LinkOptions& link, const CameraJob& job,
                 Streams io);

}  // namespace tavin::ctl
