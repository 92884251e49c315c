#pragma once

#include <string>

// The one way the Qt-free core reaches the user. The application installs its implementation at
// start-up; command-line tools install a console one; tests install a recorder.

namespace tavin {

enum class MessageIcon { None, Error, Exclamation, Question };

class UserInterface {
  public:
    virtual ~UserInterface() = default;

    // A modal message box with one OK button. An empty caption means the application title.
    virtual void ShowMessage(const std::string& text, const std::string& caption,
                             MessageIcon icon) = 0;

    // Whether a main window exists (progress texts are shown only then).
    virtual bool HasMainWindow() = 0;

    // Shows `text` in the status bar's message pane and repaints it at once.
    virtual void SetStatusText(const std::string& text) = 0;

    // Called by blocking camera waits at most every ~50 ms, so a window can repaint while the
    // camera thinks. Must not handle user input.
    virtual void KeepResponsive() = 0;
};

// The installed interface; a silent one until something else is installed.
UserInterface& TheUserInterface();

// Installs `ui` (not owned) and returns the previous one; nullptr restores the silent one.
UserInterface* InstallUserInterface(UserInterface* ui);

}  // namespace tavin
