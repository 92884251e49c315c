#include "DataFileMessages.h"

#include "StringIds.h"
#include "StringTable.h"

namespace tavin {

std::string FileFaultText(FileFault fault, FileAction action, std::string_view path) {
    unsigned id =
        action == FileAction::Reading ? string_id::kFileReadError : string_id::kFileWriteError;
    if (fault == FileFault::NotFound) {
        id = string_id::kFileNotFound;
    } else if (fault == FileFault::AccessDenied) {
        id = string_id::kFileAccessDenied;
    }
    return FormatString(LoadText(id), path);
}

std::string FileTypeMismatchText(std::string_view fileName) {
    return FormatString(LoadText(string_id::kFileTypeMismatch), fileName,
                        LoadText(string_id::kAppTitle));
}

std::string UnexpectedFormatText() {
    return std::string(LoadText(string_id::kUnexpectedFormat));
}

}  // namespace tavin
