#pragma once

#include <QPointer>
#include <functional>

#include "CMainFrame.h"
#include "UserInterface.h"

// How the camera core reaches the user in the running program: message boxes through the one
// place of the application, progress texts in the main frame's status bar, and repainting while
// a camera exchange blocks the user-interface thread.

namespace tavin {

class AppUserInterface final : public UserInterface {
  public:
    void SetMainFrame(CMainFrame* frame) { frame_ = frame; }
    // Runs before the message of a failed camera operation is shown.
    std::function<void()> onCameraFailure;

    void ShowMessage(const std::string& text, const std::string& caption,
                     MessageIcon icon) override;
    bool HasMainWindow() override;
    // The progress of a camera operation.
    void SetStatusText(const std::string& text) override;
    // Lets queued paint, timer and window-system events run, but keeps mouse and keyboard input
    // queued until the camera operation has ended: the window never looks dead, yet no command
    // starts in the middle of another.
    void KeepResponsive() override;

  private:
    QPointer<CMainFrame> frame_;
};

// Installs `ui` as the core's user interface for the lifetime of this object.
class ScopedUserInterface {
  public:
    explicit ScopedUserInterface(UserInterface& ui) : previous_(InstallUserInterface(&ui)) {}
    ~ScopedUserInterface() { InstallUserInterface(previous_); }
    ScopedUserInterface(const ScopedUserInterface&) = delete;
    ScopedUserInterface& operator=(const ScopedUserInterface&) = delete;

  private:
    UserInterface* previous_;
};

}  // namespace tavin
