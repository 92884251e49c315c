#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <utility>
#include <vector>

// Runs a program as a child process, with its standard output and error captured: to its end,
// or started and acted on meanwhile (a signal) before it is waited for.

namespace tavin::ctl::testing {

struct ProgramResult {
    int exitStatus = -1;  // 128 + signal when killed
    std::string out;
    std::string err;
    std::chrono::milliseconds elapsed{};
};

using Environment = std::vector<std::pair<std::string, std::string>>;

// `env` entries are added to (or replace those of) this process's environment.
ProgramResult RunProgram(const std::string& path, const std::vector<std::string>& args,
                         const Environment& env = {});

// A program left running. It has a process group of its own, so that whatever is left of it is
// killed when the test ends.
class RunningProgram {
  public:
    RunningProgram(const std::string& path, const std::vector<std::string>& args,
                   const Environment& env = {});
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    pid_t Pid() const { return pid_; }
    // Reads both outputs to their end and reaps the program. Whatever it forked shares the
    // outputs, so this returns only once every such process is gone too.
    ProgramResult Wait();

  private:
    pid_t pid_ = -1;
    int out_ = -1;
    int err_ = -1;
    bool reaped_ = false;
    std::chrono::steady_clock::time_point started_;
};

}  // namespace tavin::ctl::testing
