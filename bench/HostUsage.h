#pragma once

#include <chrono>

// Wall time and the CPU time of the calling thread only. The simulated camera runs on a thread
// of its own in the same process, so process-wide figures would charge its work to the host.

namespace tavin::bench {

struct Usage {
    std::chrono::nanoseconds wall{};
    std::chrono::nanoseconds cpu{};  // user + system
};

class UsageMeter {
  public:
    UsageMeter();
    // Wall and thread CPU time since construction.
    Usage Elapsed() const;

  private:
    std::chrono::steady_clock::time_point wallStart_;
    std::chrono::nanoseconds cpuStart_;
};

// User plus system time of the calling thread so far.
std::chrono::nanoseconds ThreadCpuTime();

}  // namespace tavin::bench
