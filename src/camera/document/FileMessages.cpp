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
    if (error == QFileDevice::PermissionsError ||
        (error == QFileDevice::OpenError && info.exists() && action == FileAction::Reading &&
         !info.isReadable())) {
        return Text(kAccessDenied, path);
    }
    if (action == FileAction::Reading && !info.exists()) {
        return Text(kNotFound, path);
    }
    return Text(action == FileAction::Reading ? kReadError : kWriteError, path);
}

}  // namespace tavin
