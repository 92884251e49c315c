#include "CTAVINDoc.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <span>

#include "DataFileCodec.h"
#include "DataFileMessages.h"
#include "StringIds.h"
#include "StringTable.h"
#include "UserInterface.h"

namespace tavin {

namespace {

// Our files are 208 bytes; a foreign file is only read as far as needed to tell that it is not
// ours, so a huge file dropped on the window costs no memory.
constexpr qint64 kReadLimit = 64 * 1024;

void ShowMessage(const std::string& text, MessageIcon icon) {
    TheUserInterface().ShowMessage(text, {}, icon);
}

void ShowFileError(QFileDevice::FileError error, const QString& path, FileAction action) {
    const QFileInfo info(path);
    const QFileInfo folder(info.absolutePath());
    // A save writes a new file in the same folder and then replaces the old one, so a folder we
    // may not write to refuses it as much as a file we may not replace.
    const bool refused =
        action == FileAction::Reading
            ? error == QFileDevice::OpenError && info.exists() && !info.isReadable()
            : error != QFileDevice::NoError && ((info.exists() && !info.isWritable()) ||
                                                (folder.isDir() && !folder.isWritable()));
    FileFault fault = FileFault::Other;
    if (error == QFileDevice::PermissionsError || refused) {
        fault = FileFault::AccessDenied;
    } else if (action == FileAction::Reading && !info.exists()) {
        fault = FileFault::NotFound;
    }
    ShowMessage(FileFaultText(fault, action, path.toStdString()), MessageIcon::Exclamation);
}

}  // namespace

CTAVINDoc::CTAVINDoc(CameraAccess& camera, QObject* parent) : QObject(parent), camera_(camera) {}

QString CTAVINDoc::GetTitle() const {
    return pathName_.isEmpty() ? QString::fromUtf8(LoadText(string_id::kUntitled))
                               : QFileInfo(pathName_).fileName();
}

void CTAVINDoc::SetModifiedFlag(bool modified) {
    if (modified_ != modified) {
        modified_ = modified;
        emit modifiedChanged(modified_);
    }
}

void CTAVINDoc::SetPathName(const QString& path) {
    pathName_ = path.isEmpty() ? QString() : QFileInfo(path).absoluteFilePath();
    emit titleChanged(GetTitle());
}

void CTAVINDoc::OnNewDocument() {
    // The data set is not touched: a new document shows the values the camera has now.
    SetPathName({});
    SetModifiedFlag(false);
    RefreshAllViews();
}

CTAVINDoc::OpenResult CTAVINDoc::OnOpenDocument(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ShowFileError(file.error(), path, FileAction::Reading);
        return OpenResult::Unreadable;
    }
    const QByteArray bytes = file.read(kReadLimit);
    if (file.error() != QFileDevice::NoError) {
        ShowFileError(file.error(), path, FileAction::Reading);
        return OpenResult::Unreadable;
    }
    const DataFileResult result = DecodeDataFile(
        std::span(reinterpret_cast<const uint8_t*>(bytes.constData()), bytes.size()));

    switch (result.status) {
        case DataFileStatus::HeaderMismatch: {
            ShowMessage(FileTypeMismatchText(QFileInfo(path).fileName().toStdString()),
                        MessageIcon::None);
            // Keeping our own name (not the refused file's) means a later Save can never write
            // over a file that belongs to someone else.
            return OpenResult::Refused;
        }
        case DataFileStatus::Truncated:
            ShowMessage(UnexpectedFormatText(), MessageIcon::Exclamation);
            return OpenResult::Failed;
        case DataFileStatus::Empty:
            break;
        case DataFileStatus::Loaded: {
            ItemValues values{};
            for (int index = 0; index < kCameraItemCount; ++index) {
                values[index] = FromCamera(index, result.values[index]);
            }
            if (camera_.SendItemSet(values) < 0) {
                // Reported by the data set, which now holds what the camera took: the settings
                // from before with the items written ahead of the failure. That set is neither
                // the file nor the last one saved, so it has no name and waits to be saved.
                SetPathName({});
                SetModifiedFlag(true);
                RefreshAllViews();
                return OpenResult::NotWritten;
            }
            break;
        }
    }
    SetPathName(path);
    SetModifiedFlag(false);
    RefreshAllViews();
    return OpenResult::Opened;
}

bool CTAVINDoc::OnSaveDocument(const QString& path) {
    DataFileValues values{};
    for (int index = 0; index < kCameraItemCount; ++index) {
        values[index] = camera_.GetValue(index, true);
    }
    const DataFileBytes bytes = EncodeDataFile(values);

    QSaveFile file(path);
    const bool written = file.open(QIODevice::WriteOnly) &&
                         file.write(reinterpret_cast<const char*>(bytes.data()),
                                    qint64(bytes.size())) == qint64(bytes.size()) &&
                         file.commit();
    if (!written) {
        const QFileDevice::FileError error = file.error();
        file.cancelWriting();
        ShowFileError(error, path, FileAction::Writing);
        return false;
    }
    SetPathName(path);
    SetModifiedFlag(false);
    return true;
}

int32_t CTAVINDoc::SetItemValue(int index, int32_t value) {
    const int32_t result = camera_.SendItem(index, value);
    if (result > 0) {
        SetModifiedFlag();
    }
    return result;
}

int32_t CTAVINDoc::GetItemValue(int index) const {
    return camera_.GetValue(index, false);
}

int32_t CTAVINDoc::ReadCameraData() {
    const int32_t result = camera_.FetchAllItems();
    if (result > 0) {
        SetModifiedFlag();
    }
    return result;
}

void CTAVINDoc::WriteCameraData() {
    camera_.SendAllItems();
}

void CTAVINDoc::RefreshAllViews() {
    emit viewsRefreshRequested();
}

}  // namespace tavin
