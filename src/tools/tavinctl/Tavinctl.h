#pragma once

#include <ostream>
#include <span>
#include <string>

namespace tavin::ctl {

// The whole program: `args` without the program name; returns the exit status. `progress`
// allows progress lines on `err` (a terminal).
int RunTavinctl(std::span<const std::string> args, std::ostream& out, std::ostream& err,
                bool progress);

// The --help text.
std::string UsageText();

}  // namespace tavin::ctl
