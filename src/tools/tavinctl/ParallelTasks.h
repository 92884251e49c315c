#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tavin::ctl {

// A kind of task a process of its own runs: a function from an input text to an output text.
// Where the system starts such a process afresh rather than forking it (Windows), the process
// is told the task by its name, so every kind of task is a named constant.
struct ProcessTask {
    const char* name;
    std::string (*run)(const std::string& input);
};

// Runs `task` on every input at once, each in a process of its own, so that a silent port costs
// its time-outs once rather than once per port, and nothing the link keeps per process (the port
// variables, the trace, the user-interface hook) is shared between two of them. Returns what each
// run returned, or nothing for one whose process could not start or died.
std::vector<std::optional<std::string>> RunInProcesses(const ProcessTask& task,
                                                       const std::vector<std::string>& inputs);

}  // namespace tavin::ctl
