#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

// The one place where the application asks for a file name. Tests install a hook that answers
// instead of a person.

namespace tavin {

struct FileRequest {
    enum class Mode { Open, Save };
    Mode mode = Mode::Open;
    QString title;
    QStringList filters;  // "Name (*.ext)"; the first one is in use when the dialog opens
    QString defaultSuffix;
    QString fileName;  // proposed name (Save)
};

// The chosen file's full path, or an empty string when the user cancelled. Without an owner
// window the dialog does not block other windows; the caller guards against re-entry.
QString AskFileName(const FileRequest& request, QWidget* owner);

// The filter that shows every file, under `name`: "*.*" on Windows, where that matches names
// without a dot as well; "*" elsewhere, where "*.*" would hide them.
QString AllFilesFilter(const QString& name);

using FileHook = std::function<QString(const FileRequest&)>;
FileHook SetFileHook(FileHook hook);

}  // namespace tavin
