#include "FileMessages.h"

#include <QFileInfo>

#include "StringTable.h"

namespace tavin {

namespace {

QString Text(unsigned id, const QString& path) {
    return QString::fromStdString(FormatString(LoadText(id), path.toStdString()));
}

}  // namespace

QString FileErrorText(QFileDevice::FileError error, const QString& path, FileAction action) {
    constexpr unsigned kNotFound = 61858;
    constexpr unsigned kAccessDenied = 61861;
    constexpr unsigned kReadError = 61865;
    constexpr unsigned kWriteError = 61866;
    const QFileInfo info(path);
    const QFileInfo folder(info.absolutePath());
    // A save writes a new file in the same folder and then replaces the old one, so a folder we
    // may not write to refuses it as much as a file we may not replace.
    const bool refused =
        action == FileAction::Reading
            ? error == QFileDevice::OpenError && info.exists() && !info.isReadable()
            : error != QFileDevice::NoError && ((info.exists() && !info.isWritable()) ||
                                                (folder.isDir() && !folder.isWritable()));
    if (error == QFileDevice::PermissionsError || refused) {
        return Text(kAccessDenied, path);
    }
    if (action == FileAction::Reading && !info.exists()) {
        return Text(kNotFound, path);
    }
    return Text(action == FileAction::Reading ? kReadError : kWriteError, path);
}

}  // namespace tavin
