// Replacing a file on POSIX: a scratch file from mkstemp beside it, flushed to the disk, then
// renamed over it, which replaces it in one step.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "DataFileIo.h"

namespace tavin::ctl {

namespace {

bool WriteAll(int fd, std::span<const uint8_t> bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes = bytes.subspan(static_cast<size_t>(written));
    }
    return true;
}

mode_t NewFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

}  // namespace

std::string WriteFileAtomically(const std::string& path, std::span<const uint8_t> bytes) {
    const std::filesystem::path target(path);
    const std::filesystem::path directory =
        target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
    std::string scratch = (directory / ("." + target.filename().string() + ".XXXXXX")).string();

    struct stat existing {};
    const mode_t mode =
        ::stat(path.c_str(), &existing) == 0 ? (existing.st_mode & 07777) : NewFileMode();

    const int fd = ::mkstemp(scratch.data());
    if (fd < 0) {
        return FileErrorText(errno, path, false);
    }
    const bool written = WriteAll(fd, bytes) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    const int writeError = errno;
    if (::close(fd) != 0 || !written) {
        const int error = written ? errno : writeError;
        ::unlink(scratch.c_str());
        return FileErrorText(error, path, false);
    }
    if (::rename(scratch.c_str(), path.c_str()) != 0) {
        const int error = errno;
        ::unlink(scratch.c_str());
        return FileErrorText(error, path, false);
    }
    return {};
}

}  // namespace tavin::ctl
