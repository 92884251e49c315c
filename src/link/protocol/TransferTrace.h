#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

// One line per transfer in a file named by TAVIN_TRACE, for finding out why a camera times
// out: monotonic milliseconds, direction, path, requested and moved byte counts, the bytes in
// hex and the status code of a failure. Costs one branch per transfer when off.

namespace tavin {

class TransferTrace {
  public:
    enum class Direction { kWrite, kRead };
    enum class Path { kPort, kLibrary };

    TransferTrace() = default;  // off
    explicit TransferTrace(const std::string& fileName);
    ~TransferTrace();
    TransferTrace(const TransferTrace&) = delete;
    TransferTrace& operator=(const TransferTrace&) = delete;

    bool IsOn() const { return file_ != nullptr; }

    // `status` is the recorded code of a failed transfer, 0 for success.
    void Record(uint64_t nowMs, Direction direction, Path path, int32_t requested,
                const uint8_t* bytes, int32_t moved, int32_t status);

    // Formats one line without its newline.
    static std::string FormatLine(uint64_t nowMs, Direction direction, Path path, int32_t requested,
                                  const uint8_t* bytes, int32_t moved, int32_t status);

  private:
    std::FILE* file_ = nullptr;
};

// The trace named by TAVIN_TRACE when the process first asks; off when it is unset or empty.
TransferTrace& ProcessTrace();

}  // namespace tavin
