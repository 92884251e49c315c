#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <deque>
#include <functional>
#include <memory>

#include "AppUserInterface.h"
#include "CommandTable.h"
#include "Edition.h"
#include "RecentFileList.h"

class QSettings;
class QWidget;

// The application object: start-up (profile, choice and opening of the link, first reading of
// the camera, document and main window), the idle status text, and the one setting the program
// stores itself, "Settings"/"COM Port", written when the object is destroyed.

namespace tavin {

class CameraAccess;

class CTAVINDoc;
class DocumentManager;

class CTAVINApp : public QObject {
    Q_OBJECT

  public:
    using ViewFactory = std::function<QWidget*(CTAVINDoc&, QWidget* parent)>;

    // `arguments` as the process got them (the program's own name first).
    CTAVINApp(const Edition& edition, CameraAccess& camera, QStringList arguments,
              ViewFactory viewFactory = {});
    ~CTAVINApp() override;

    // Runs start-up step by step; false when the program must end now with ExitCode().
    bool InitInstance();
    // Runs until the main window has closed; returns the exit code.
    int Run();
    int ExitCode() const { return exitCode_; }

    CMainFrame* MainFrame() const { return frame_; }
    CTAVINDoc& Document() const { return *document_; }
    DocumentManager& Documents() const { return *documents_; }
    CommandTable& Commands() { return commands_; }
    AppUserInterface& UserInterfaceImpl() { return ui_; }
    bool DeveloperMode() const;

    // No operation is under way: nothing waits for the camera or the loop test, and no modal
    // window (message box, dialog) is open.
    static bool IsIdle();
    // Runs `request` now when the program is idle and nothing is waiting before it; otherwise
    // once the operation under way has ended, in the order the requests came. Dropped files,
    // open requests from the desktop, commands and closing the window go through here, so no
    // camera operation starts inside another. `name` says in the status bar what was not done
    // when the request is dropped: after a failed exchange every waiting request but a close is
    // dropped, and after the loop test every one.
    void WhenIdle(const QString& name, std::function<void()> request, bool isClose = false);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool ChooseAndOpenLink();
    void OpenSingleLibraryLink();
    QString CommandLineFile() const;
    void CreateMainWindow();
    void ShowMainWindow();
    void FirstReading();
    void RegisterCommands();
    void OnIdle();
    void RunPendingRequest();
    void OnCameraFailure();
    void OnLoopTestEnded(bool completed);
    // Drops the waiting requests, and names them and `alsoDropped` in the status bar with the
    // text of `reasonId`; a waiting close stays when `keepClose` is set.
    void DropPendingRequests(unsigned reasonId, bool keepClose, QStringList alsoDropped = {});
    QString OpenRequestName(const QString& path) const;

    struct Request {
        QString name;
        std::function<void()> run;
        bool isClose = false;
    };

    const Edition& edition_;
    CameraAccess& camera_;
    QStringList arguments_;
    ViewFactory viewFactory_;

    AppUserInterface ui_;
    ScopedUserInterface uiInstalled_{ui_};
    CommandTable commands_;
    RecentFileList recentFiles_;
    std::unique_ptr<QSettings> profile_;
    std::unique_ptr<CTAVINDoc> document_;
    std::unique_ptr<DocumentManager> documents_;
    QPointer<CMainFrame> frame_;
    std::deque<Request> pending_;
    QTimer pendingTimer_;
    int linkMode_ = 0;  // 0: RS-232C port, 1: Camera Link board
    int exitCode_ = 0;
};

// The whole program: selects `edition`, creates the camera data set, then the application, runs
// it, and destroys them in reverse order. Each executable's main calls this.
int RunProgram(const Edition& edition, int argc, char** argv);

}  // namespace tavin
