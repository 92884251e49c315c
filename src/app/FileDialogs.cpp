#include "FileDialogs.h"

#include <QEventLoop>
#include <QFileDialog>
#include <utility>

#include "HeldInput.h"

namespace tavin {

namespace {

FileHook& Hook() {
    static FileHook hook;
    return hook;
}

}  // namespace

QString AllFilesFilter(const QString& name) {
#ifdef Q_OS_WIN
    return name + QStringLiteral(" (*.*)");
#else
    return name + QStringLiteral(" (*)");
#endif
}

FileHook SetFileHook(FileHook hook) {
    return std::exchange(Hook(), std::move(hook));
}

QString AskFileName(const FileRequest& request, QWidget* owner) {
    if (Hook()) {
        return Hook()(request);
    }
    const bool save = request.mode == FileRequest::Mode::Save;
    QFileDialog dialog(owner, request.title);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilters(request.filters);
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.fileName.isEmpty()) {
        dialog.selectFile(request.fileName);
    }
    if (owner) {
        // Keys typed before the dialog appeared do not pick or confirm a file. exec() shows it:
        // Windows' own dialog, shown before, would run twice.
        dialog.setWindowModality(Qt::ApplicationModal);
        DiscardHeldInput();
        return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
    }
    // Without an owner the dialog is modeless: other windows stay usable while it is open.
    dialog.setWindowModality(Qt::NonModal);
    QEventLoop loop;
    QObject::connect(&dialog, &QDialog::finished, &loop, &QEventLoop::quit);
    dialog.show();
    loop.exec();
    return dialog.result() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

}  // namespace tavin
