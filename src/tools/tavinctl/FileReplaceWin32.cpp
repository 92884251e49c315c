// Replacing a file on Windows: a scratch file beside it, flushed to the disk, then moved over
// it in one step. ReplaceFile keeps what the old file had (its attributes and its access
// rights), as the POSIX twin keeps the mode; a new file is simply moved into place.
#include <windows.h>

#include <filesystem>

#include "DataFileIo.h"
#include "DataFileMessages.h"
#include "SystemErrorText.h"

namespace tavin::ctl {

namespace {

std::string WriteErrorText(DWORD code, const std::string& path) {
    if (code == ERROR_ACCESS_DENIED) {
        return FileFaultText(FileFault::AccessDenied, FileAction::Writing, path);
    }
    return FileFaultText(FileFault::Other, FileAction::Writing, path) + " (" +
           SystemErrorText(code) + ")";
}

// A fresh file beside `target`, or INVALID_HANDLE_VALUE with the reason in GetLastError().
HANDLE CreateScratch(const std::filesystem::path& target, std::string& scratch) {
    const std::filesystem::path directory =
        target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
    for (unsigned attempt = 0;; ++attempt) {
        scratch = (directory /
                   ("." + target.filename().string() + "." + std::to_string(GetCurrentProcessId()) +
                    "-" + std::to_string(GetTickCount64() + attempt)))
                      .string();
        const HANDLE file = CreateFileA(scratch.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS || attempt == 100) {
            return file;
        }
    }
}

}  // namespace

std::string WriteFileAtomically(const std::string& path, std::span<const uint8_t> bytes) {
    std::string scratch;
    const HANDLE file = CreateScratch(std::filesystem::path(path), scratch);
    if (file == INVALID_HANDLE_VALUE) {
        return WriteErrorText(GetLastError(), path);
    }
    DWORD written = 0;
    const bool ok =
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
        written == bytes.size() && FlushFileBuffers(file);
    const DWORD writeError = GetLastError();
    CloseHandle(file);
    if (!ok) {
        DeleteFileA(scratch.c_str());
        return WriteErrorText(writeError, path);
    }
    const bool exists = GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    const bool moved =
        exists ? ReplaceFileA(path.c_str(), scratch.c_str(), nullptr,
                              REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr) != 0
               : MoveFileExA(scratch.c_str(), path.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
    if (!moved) {
        const DWORD error = GetLastError();
        DeleteFileA(scratch.c_str());
        return WriteErrorText(error, path);
    }
    return {};
}

}  // namespace tavin::ctl
