#pragma once

#include <chrono>
#include <string>
#include <utility>
#include <vector>

// Runs a program to its end as a child process, with its standard output and error captured.

namespace tavin::ctl::testing {

struct ProgramResult {
    int exitStatus = -1;  // 128 + signal when killed
    std::string out;
    std::string err;
    std::chrono::milliseconds elapsed{};
};

// `env` entries are added to (or replace those of) this process's environment.
ProgramResult RunProgram(const std::string& path, const std::vector<std::string>& args,
                         const std::vector<std::pair<std::string, std::string>>& env = {});

}  // namespace tavin::ctl::testing
