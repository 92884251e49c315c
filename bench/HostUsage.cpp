#include "HostUsage.h"

#include <sys/resource.h>

namespace tavin::bench {

namespace {
std::chrono::nanoseconds ToNs(const timeval& tv) {
    return std::chrono::seconds(tv.tv_sec) + std::chrono::microseconds(tv.tv_usec);
}
}  // namespace

std::chrono::nanoseconds ThreadCpuTime() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return ToNs(usage.ru_utime) + ToNs(usage.ru_stime);
}

UsageMeter::UsageMeter()
    : wallStart_(std::chrono::steady_clock::now()), cpuStart_(ThreadCpuTime()) {}

Usage UsageMeter::Elapsed() const {
    return {std::chrono::steady_clock::now() - wallStart_, ThreadCpuTime() - cpuStart_};
}

}  // namespace tavin::bench
