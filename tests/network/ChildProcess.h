#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

// A server a test needs (the simulated camera, ser2net) as a plain child process: its standard
// output and error collected, stopped by its pid when the test ends, also when it fails.

namespace tavin::testing {

class ChildProcess {
  public:
    explicit ChildProcess(const std::vector<std::string>& argv);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Waits until the output (standard output and error together) holds `text`; false when it
    // does not within `timeout` or the process ended first.
    bool WaitForOutput(const std::string& text, std::chrono::milliseconds timeout);
    // The output's first line, once there (empty after `timeout`).
    std::string FirstLine(std::chrono::milliseconds timeout);
    // Everything the process has written so far.
    const std::string& Output();

    // Stops the process with SIGTERM (SIGKILL when it does not end at once). Idempotent.
    void Stop();

  private:
    // Reads what is there, waiting up to `timeoutMs` for the first bytes: the count read, 0 when
    // none came, -1 at the end of the output.
    long Collect(int timeoutMs);

    pid_t pid_ = -1;
    int output_ = -1;
    std::string text_;
};

}  // namespace tavin::testing
