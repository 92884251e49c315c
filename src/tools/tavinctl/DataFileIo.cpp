#include "DataFileIo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

#include "DataFileMessages.h"

namespace tavin::ctl {

namespace {

// More than any data file of ours; a device or a huge file is never read whole.
constexpr size_t kReadLimit = 64 * 1024;

std::string ErrnoText(int error, const std::string& path, bool reading) {
    const FileAction action = reading ? FileAction::Reading : FileAction::Writing;
    if (error == EACCES || error == EPERM) {
        return FileFaultText(FileFault::AccessDenied, action, path);
    }
    if (reading && error == ENOENT) {
        return FileFaultText(FileFault::NotFound, action, path);
    }
    // The generic text alone would leave a script's user guessing.
    return FileFaultText(FileFault::Other, action, path) + " (" + std::strerror(error) + ")";
}

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

FileReadResult ReadDataFileAt(const std::string& path) {
    FileReadResult result;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        result.error = ErrnoText(errno, path, true);
        return result;
    }
    std::vector<uint8_t> bytes(kReadLimit);
    const size_t count = std::fread(bytes.data(), 1, bytes.size(), file);
    const bool failed = std::ferror(file) != 0;
    const int error = errno;
    std::fclose(file);
    if (failed) {
        result.error = ErrnoText(error, path, true);
        return result;
    }
    bytes.resize(count);

    const DataFileResult decoded = DecodeDataFile(bytes);
    switch (decoded.status) {
        case DataFileStatus::Loaded:
            result.ok = true;
            result.values = decoded.values;
            break;
        case DataFileStatus::HeaderMismatch:
            result.error = FileTypeMismatchText(std::filesystem::path(path).filename().string());
            break;
        case DataFileStatus::Truncated:
            result.error = UnexpectedFormatText() + " (" + path + ")";
            break;
        case DataFileStatus::Empty:
            result.error = path + " is empty: it holds no settings";
            break;
    }
    return result;
}

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
        return ErrnoText(errno, path, false);
    }
    const bool written = WriteAll(fd, bytes) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    const int writeError = errno;
    if (::close(fd) != 0 || !written) {
        const int error = written ? errno : writeError;
        ::unlink(scratch.c_str());
        return ErrnoText(error, path, false);
    }
    if (::rename(scratch.c_str(), path.c_str()) != 0) {
        const int error = errno;
        ::unlink(scratch.c_str());
        return ErrnoText(error, path, false);
    }
    return {};
}

}  // namespace tavin::ctl
