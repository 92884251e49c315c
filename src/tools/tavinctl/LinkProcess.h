#pragma once

#include <functional>
#include <string_view>

#include "Commands.h"
#include "LinkReport.h"

// What a link process does, however the system started it (LinkRunner.h): the command on its
// one link, with the outcome sent to the parent as frames.

namespace tavin::ctl {

using FrameSender = std::function<void(FrameKind kind, std::string_view text)>;

// Runs `job` on `link` as `options` (the run's options, with all its links) ask for one link:
// its own trace file and data file, named after the link, and --json as the run prints it.
// Each progress line goes to `send` as it is shown, then what the command printed and its
// errors. Returns the command's exit status; nothing escapes as an exception.
int RunLinkProcessJob(const CtlOptions& options, const LinkOptions& link, const CameraJob& job,
                      bool progress, const FrameSender& send);

}  // namespace tavin::ctl
