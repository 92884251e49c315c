#pragma once

#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <functional>

#include "Edition.h"

class QLabel;

// The program's main window: the menu bar and accelerators of resource 128, a status bar with a
// message pane and a port pane, and the document's view as its client.

namespace tavin {

class CameraAccess;
class CommandTable;

class CMainFrame : public QMainWindow {
    Q_OBJECT

  public:
    CMainFrame(const Edition& edition, bool developerMode, const CommandTable& commands,
               const CameraAccess& link, QWidget* parent = nullptr);

    // Shows `text` in the message pane and repaints the status bar at once, so the text is
    // visible while the caller keeps the user-interface thread busy.
    void SetStatusText(const QString& text);
    // Progress of a camera operation: a new operation has started, so what the status bar said
    // about the previous one is over.
    void ShowProgress(const QString& text);
    // Something the user asked for did not get done; the idle text says so until the next camera
    // operation starts.
    void AddIdleNote(const QString& note);
    // What the message pane shows when the program is idle: the notes, else "Ready".
    QString IdleText() const;
    // The text of the message pane as shown (a menu prompt while one is highlighted).
    QString MessagePaneText() const;
    QString PortPaneText() const;
    // " ?" without an open COM port, else "COM<n>".
    void UpdatePortPane();

    void SetDocumentTitle(const QString& documentTitle);
    // Up to four files, newest first, in the File menu; none: a greyed "Recent File".
    void SetRecentFiles(const QStringList& files);
    void SetView(QWidget* view);

    // Asked before the window closes; false keeps it open (the user cancelled the save prompt).
    std::function<bool()> canClose;

  signals:
    void fileDropped(const QString& path);
    // The window has closed; the program ends.
    void closed();

  protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void ShowMessagePane();

    const Edition& edition_;
    const CommandTable& commands_;
    const CameraAccess& link_;
    QLabel* messagePane_ = nullptr;
    QLabel* portPane_ = nullptr;
    QString statusText_;
    QString prompt_;  // the highlighted menu item's prompt, shown over statusText_
    QStringList notes_;
};

}  // namespace tavin
