#include "CTAVINDoc.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <span>

#include "DataFileCodec.h"
#include "FileMessages.h"
#include "StringTable.h"
#include "UserInterface.h"

namespace tavin {

namespace {

constexpr unsigned kUntitled = 61443;
constexpr unsigned kHeaderMismatch = 62100;
constexpr unsigned kUnexpectedFormat = 61728;
constexpr unsigned kAppTitle = 57344;

// Our files are 208 bytes; a foreign file is only read as far as needed to tell that it is not
// ours, so a huge file dropped on the window costs no memory.
constexpr qint64 kReadLimit = 64 * 1024;

void ShowMessage(const QString& text, MessageIcon icon) {
    TheUserInterface().ShowMessage(text.toStdString(), {}, icon);
}

}  // namespace

CTAVINDoc::CTAVINDoc(CameraAccess& camera, QObject* parent) : QObject(parent), camera_(camera) {}

QString CTAVINDoc::GetTitle() const {
    return pathName_.isEmpty() ? QString::fromUtf8(LoadText(kUntitled))
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
        ShowMessage(FileErrorText(file.error(), path, FileAction::Reading),
                    MessageIcon::Exclamation);
        return OpenResult::Unreadable;
    }
    const QByteArray bytes = file.read(kReadLimit);
    if (file.error() != QFileDevice::NoError) {
        ShowMessage(FileErrorText(file.error(), path, FileAction::Reading),
                    MessageIcon::Exclamation);
        return OpenResult::Unreadable;
    }
    const DataFileResult result = DecodeDataFile(
        std::span(reinterpret_cast<const uint8_t*>(bytes.constData()), bytes.size()));

    switch (result.status) {
        case DataFileStatus::HeaderMismatch: {
            const std::string text =
                FormatString(LoadText(kHeaderMismatch), QFileInfo(path).fileName().toStdString(),
                             LoadText(kAppTitle));
            TheUserInterface().ShowMessage(text, {}, MessageIcon::None);
            // Keeping our own name (not the refused file's) means a later Save can never write
            // over a file that belongs to someone else.
            return OpenResult::Refused;
        }
        case DataFileStatus::Truncated:
            ShowMessage(QString::fromUtf8(LoadText(kUnexpectedFormat)), MessageIcon::Exclamation);
            return OpenResult::Failed;
        case DataFileStatus::Empty:
            break;
        case DataFileStatus::Loaded:
            for (int index = 0; index < kCameraItemCount; ++index) {
                camera_.SetValue(index, result.values[index], true);
            }
            // A failure is reported by the data set; the file's values stay loaded.
            WriteCameraData();
            break;
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
        ShowMessage(FileErrorText(error, path, FileAction::Writing), MessageIcon::Exclamation);
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
