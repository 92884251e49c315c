#pragma once

#include <optional>
#include <span>
#include <string>

// Where the system starts link and probe processes afresh rather than forking them (Windows),
// such a process is this program with a first argument no user types. main() asks here first.

namespace tavin::ctl {

// The exit status of the helper's work when `args` (without the program name) start a helper
// process; nothing for any other command line.
std::optional<int> RunAsHelperProcess(std::span<const std::string> args);

}  // namespace tavin::ctl
