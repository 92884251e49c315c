#include "TransferTrace.h"

#include <cstdlib>

namespace tavin {

TransferTrace::TransferTrace(const std::string& fileName) {
    if (!fileName.empty()) {
        file_ = std::fopen(fileName.c_str(), "a");
    }
}

TransferTrace::~TransferTrace() {
    if (file_) {
        std::fclose(file_);
    }
}

std::string TransferTrace::FormatLine(uint64_t nowMs, Direction direction, Path path,
                                      int32_t requested, const uint8_t* bytes, int32_t moved,
                                      int32_t status) {
    std::string line = std::to_string(nowMs);
    line += direction == Direction::kWrite ? " write " : " read ";
    line += path == Path::kPort ? "port" : "library";
    line += " requested=" + std::to_string(requested) + " moved=" + std::to_string(moved);
    if (moved > 0 && bytes) {
        static constexpr char kDigits[] = "0123456789ABCDEF";
        line += " bytes=";
        for (int32_t i = 0; i < moved; ++i) {
            if (i > 0) {
                line += ' ';
            }
            line += kDigits[bytes[i] >> 4];
            line += kDigits[bytes[i] & 0x0F];
        }
    }
    if (status != 0) {
        line += " status=" + std::to_string(status);
    }
    return line;
}

void TransferTrace::Record(uint64_t nowMs, Direction direction, Path path, int32_t requested,
                           const uint8_t* bytes, int32_t moved, int32_t status) {
    if (!file_) {
        return;
    }
    const std::string line = FormatLine(nowMs, direction, path, requested, bytes, moved, status);
    std::fprintf(file_, "%s\n", line.c_str());
    // A trace is read after a hang or a crash: every line must already be on disk.
    std::fflush(file_);
}

TransferTrace& ProcessTrace() {
    static TransferTrace trace([] {
        const char* name = std::getenv("TAVIN_TRACE");
        return std::string(name ? name : "");
    }());
    return trace;
}

}  // namespace tavin
