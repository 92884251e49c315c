#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tavin::ctl {

// Runs every task at once, each in a process of its own, so that a silent port costs its
// time-outs once rather than once per port, and nothing the link keeps per process (the port
// variables, the trace, the user-interface hook) is shared between two tasks. Returns what each
// task returned, or nothing for one whose process could not start or died.
std::vector<std::optional<std::string>> RunInProcesses(
    const std::vector<std::function<std::string()>>& tasks);

}  // namespace tavin::ctl
