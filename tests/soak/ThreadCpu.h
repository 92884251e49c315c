#pragma once

#include <sys/resource.h>

#include <chrono>

// CPU time (user + system) of the calling thread since construction: what the host burns while
// it waits, without the simulated camera's thread.

namespace tavin::soak {

class ThreadCpuMeter {
  public:
    ThreadCpuMeter() : start_(Now()) {}
    std::chrono::microseconds Elapsed() const { return Now() - start_; }

  private:
    static std::chrono::microseconds Now() {
        rusage usage{};
        getrusage(RUSAGE_THREAD, &usage);
        return std::chrono::seconds(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
               std::chrono::microseconds(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
    }
    std::chrono::microseconds start_;
};

}  // namespace tavin::soak
