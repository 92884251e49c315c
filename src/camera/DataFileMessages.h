#pragma once

#include <string>
#include <string_view>

// The user's wording of what went wrong with a data file, from the string table. The document
// and the command-line tool both use it, so a message reads the same wherever it is shown.

namespace tavin {

enum class FileAction { Reading, Writing };
enum class FileFault { NotFound, AccessDenied, Other };

// A file that could not be opened, read or written, named by `path`.
std::string FileFaultText(FileFault fault, FileAction action, std::string_view path);
// A file that is not a data file of this program, named by `fileName`.
std::string FileTypeMismatchText(std::string_view fileName);
// A data file of ours that is cut short.
std::string UnexpectedFormatText();

}  // namespace tavin
