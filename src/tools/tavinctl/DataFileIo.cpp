#include "DataFileIo.h"

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

}  // namespace

std::string FileErrorText(int error, const std::string& path, bool reading) {
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

FileReadResult ReadDataFileAt(const std::string& path) {
    FileReadResult result;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        result.error = FileErrorText(errno, path, true);
        return result;
    }
    std::vector<uint8_t> bytes(kReadLimit);
    const size_t count = std::fread(bytes.data(), 1, bytes.size(), file);
    const bool failed = std::ferror(file) != 0;
    const int error = errno;
    std::fclose(file);
    if (failed) {
        result.error = FileErrorText(error, path, true);
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

}  // namespace tavin::ctl
