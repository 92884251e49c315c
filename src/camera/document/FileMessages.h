#pragma once

#include <QFileDevice>
#include <QString>

// The user's wording of a failed file operation, from the string table, naming the file.

namespace tavin {

enum class FileAction { Reading, Writing };

QString FileErrorText(QFileDevice::FileError error, const QString& path, FileAction action);

}  // namespace tavin
