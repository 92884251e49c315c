#pragma once

#include <string>
#include <vector>

#include "UserInterface.h"

// Records what the core tells the user; installed for its lifetime.

namespace tavin::testing {

class RecordingUserInterface final : public UserInterface {
  public:
    struct Message {
        std::string text;
        std::string caption;
        MessageIcon icon;
    };

    RecordingUserInterface() : previous_(InstallUserInterface(this)) {}
    ~RecordingUserInterface() override { InstallUserInterface(previous_); }
    RecordingUserInterface(const RecordingUserInterface&) = delete;
    RecordingUserInterface& operator=(const RecordingUserInterface&) = delete;

    void ShowMessage(const std::string& text, const std::string& caption,
                     MessageIcon icon) override {
        messages.push_back({text, caption, icon});
    }
    bool HasMainWindow() override { return hasMainWindow; }
    void SetStatusText(const std::string& text) override { statusTexts.push_back(text); }
    void KeepResponsive() override { ++keepResponsiveCalls; }

    bool hasMainWindow = false;
    std::vector<Message> messages;
    std::vector<std::string> statusTexts;
    int keepResponsiveCalls = 0;

  private:
    UserInterface* previous_;
};

}  // namespace tavin::testing
