#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "DataFileCodec.h"

// Data files on disk, with the program's own wording when something is wrong.

namespace tavin::ctl {

struct FileReadResult {
    bool ok = false;
    DataFileValues values{};  // camera form, when ok
    std::string error;        // for the user, when not ok
};

// A complete data file of ours; anything else (missing, unreadable, not ours, cut short, empty)
// is an error, since a command-line user asked for the file's values and would otherwise get
// none without noticing.
FileReadResult ReadDataFileAt(const std::string& path);

// Replaces `path` with `bytes` so that a reader sees the old file or the new one, never a part:
// the bytes go to a temporary file beside it first. An existing file keeps its permissions.
// Returns "" on success, else the message for the user (the old file is then untouched).
// The replacing is the system's (FileReplacePosix.cpp, FileReplaceWin32.cpp).
std::string WriteFileAtomically(const std::string& path, std::span<const uint8_t> bytes);

// The message for a file that could not be read or written, from the C library's error number:
// the program's own texts, with the system's reason where those say too little.
std::string FileErrorText(int error, const std::string& path, bool reading);

}  // namespace tavin::ctl
