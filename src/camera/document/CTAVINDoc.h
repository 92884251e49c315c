#pragma once

#include <QObject>
#include <QString>
#include <cstdint>

#include "CameraAccess.h"

// The settings document: its content is the camera data set. Saving writes the 46 item values to
// a data file; opening a data file stores its values and writes them into the camera at once.
// The document forwards the panel's changes to the data set and keeps the modified flag that
// makes the application offer to save before settings are discarded. It owns nothing.

namespace tavin {

class CTAVINDoc : public QObject {
    Q_OBJECT

  public:
    enum class OpenResult {
        Opened,      // the file's values are in the data set (or the file was empty)
        NotWritten,  // the camera took only part of the file: reported; the document holds the
                     // camera's settings, under no name, modified
        Refused,     // not one of our data files: nothing taken, the document is as it was
        Unreadable,  // the file could not be read: reported; the document is as it was
        Failed,      // cut short: reported; the caller starts a new document
    };

    explicit CTAVINDoc(CameraAccess& camera, QObject* parent = nullptr);

    // Single-document life cycle, called by the application's document commands.
    void OnNewDocument();
    OpenResult OnOpenDocument(const QString& path);
    // Replaces the file safely: a failed save leaves the previous file as it was, reports the
    // failure, and leaves the modified flag as it was.
    bool OnSaveDocument(const QString& path);

    QString GetPathName() const { return pathName_; }
    // The file name without its directory, or "Untitled".
    QString GetTitle() const;
    bool IsModified() const { return modified_; }
    void SetModifiedFlag(bool modified = true);

    // Forwarding operations of the control panel and the camera commands.
    int32_t SetItemValue(int index, int32_t value);
    int32_t GetItemValue(int index) const;
    int32_t ReadCameraData();
    void WriteCameraData();
    void RefreshAllViews();

    CameraAccess& Camera() const { return camera_; }

  signals:
    // Views redraw themselves from the data set.
    void viewsRefreshRequested();
    void titleChanged(const QString& title);
    void modifiedChanged(bool modified);

  private:
    void SetPathName(const QString& path);

    CameraAccess& camera_;
    QString pathName_;
    bool modified_ = false;
};

}  // namespace tavin
