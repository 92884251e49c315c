#include "DocumentManager.h"

#include <QFileInfo>

#include "CMainFrame.h"
#include "CTAVINDoc.h"
#include "FileDialogs.h"
#include "MessageBoxes.h"
#include "RecentFileList.h"
#include "StringIds.h"
#include "StringTable.h"
#include "WaitCursor.h"

namespace tavin {

namespace {

// Filter name and extension from the document template string.
FileRequest DataFileRequest(FileRequest::Mode mode, const QString& title) {
    const QStringList fields =
        QString::fromUtf8(LoadText(string_id::kDocumentTemplate)).split('\n');
    FileRequest request;
    request.mode = mode;
    request.title = title;
    request.filters = {fields.value(3), AllFilesFilter(QStringLiteral("All Files"))};
    request.defaultSuffix = fields.value(4).mid(1).toLower();
    return request;
}

}  // namespace

DocumentManager::DocumentManager(CTAVINDoc& document, RecentFileList& recentFiles, QObject* parent)
    : QObject(parent), document_(document), recentFiles_(recentFiles) {}

void DocumentManager::SetFrame(CMainFrame* frame) {
    frame_ = frame;
    if (frame_) {
        connect(&document_, &CTAVINDoc::titleChanged, frame_, &CMainFrame::SetDocumentTitle,
                Qt::UniqueConnection);
        frame_->SetDocumentTitle(document_.GetTitle());
        ShowRecentFiles();
    }
}

void DocumentManager::ShowRecentFiles() {
    if (frame_) {
        frame_->SetRecentFiles(recentFiles_.Files());
    }
}

bool DocumentManager::SaveModified() {
    if (!document_.IsModified()) {
        return true;
    }
    const QString text = QString::fromStdString(
        FormatString(LoadText(string_id::kAskToSave), document_.GetTitle().toStdString()));
    switch (ShowMessageBox({text, {}, MessageIcon::Exclamation, MessageButtons::YesNoCancel})) {
        case MessageAnswer::Yes:
            return OnFileSave();
        case MessageAnswer::No:
            return true;
        default:
            return false;
    }
}

void DocumentManager::OnFileNew() {
    if (SaveModified()) {
        document_.OnNewDocument();
    }
}

void DocumentManager::OnFileOpen() {
    const QString path =
        AskFileName(DataFileRequest(FileRequest::Mode::Open, QStringLiteral("Open")), frame_);
    if (!path.isEmpty()) {
        OpenDocumentFile(path);
    }
}

bool DocumentManager::OpenDocumentFile(const QString& path) {
    if (!SaveModified()) {
        return true;  // the user chose to stay with the current document
    }
    CTAVINDoc::OpenResult result;
    {
        const WaitCursor waiting;  // the file's values are written to the camera
        result = document_.OnOpenDocument(path);
    }
    switch (result) {
        case CTAVINDoc::OpenResult::Opened:
            recentFiles_.Add(path);
            ShowRecentFiles();
            return true;
        case CTAVINDoc::OpenResult::NotWritten:
            // The file is sound, so it stays at hand for another try; the document is the
            // camera's part-written settings now, under no name.
            recentFiles_.Add(path);
            ShowRecentFiles();
            if (frame_) {
                frame_->AddIdleNote(
                    QString::fromStdString(FormatString(LoadText(string_id::kLoadIncomplete),
                                                        QFileInfo(path).fileName().toStdString())));
            }
            return true;
        case CTAVINDoc::OpenResult::Refused:
            return true;
        case CTAVINDoc::OpenResult::Unreadable:
            recentFiles_.Remove(path);
            ShowRecentFiles();
            return false;
        case CTAVINDoc::OpenResult::Failed:
            document_.OnNewDocument();
            return false;
    }
    return false;
}

void DocumentManager::OnOpenRecentFile(int index) {
    const QString path = recentFiles_.Files().value(index);
    if (!path.isEmpty()) {
        OpenDocumentFile(path);
    }
}

bool DocumentManager::OnFileSave() {
    return document_.GetPathName().isEmpty() ? OnFileSaveAs() : DoSave(document_.GetPathName());
}

bool DocumentManager::OnFileSaveAs() {
    FileRequest request = DataFileRequest(FileRequest::Mode::Save, QStringLiteral("Save As"));
    request.fileName = document_.GetPathName();
    const QString path = AskFileName(request, frame_);
    return !path.isEmpty() && DoSave(path);
}

bool DocumentManager::DoSave(const QString& path) {
    if (!document_.OnSaveDocument(path)) {
        return false;
    }
    recentFiles_.Add(path);
    ShowRecentFiles();
    return true;
}

}  // namespace tavin
