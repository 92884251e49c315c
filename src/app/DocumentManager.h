#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

// The single-document commands: New, Open, Save, Save As, the recent files, and the offer to
// save a modified document before its settings are discarded.

namespace tavin {

class CMainFrame;
class CTAVINDoc;
class RecentFileList;

class DocumentManager : public QObject {
    Q_OBJECT

  public:
    DocumentManager(CTAVINDoc& document, RecentFileList& recentFiles, QObject* parent = nullptr);

    // The frame owns the file dialogs and shows the title and the recent files.
    void SetFrame(CMainFrame* frame);

    void OnFileNew();
    void OnFileOpen();
    bool OnFileSave();
    bool OnFileSaveAs();
    void OnOpenRecentFile(int index);

    // Offers to save a modified document; false when the user cancelled (or the save failed).
    bool SaveModified();
    // Opens `path` after offering to save; false when the open failed.
    bool OpenDocumentFile(const QString& path);

  private:
    bool DoSave(const QString& path);
    void ShowRecentFiles();

    CTAVINDoc& document_;
    RecentFileList& recentFiles_;
    QPointer<CMainFrame> frame_;
};

}  // namespace tavin
