#pragma once

#include <ostream>

#include "UserInterface.h"

// The core's way to the user when there is no window: messages go to a text stream (standard
// error), and there is no status bar to update.

namespace tavin::ctl {

class ConsoleUserInterface final : public UserInterface {
  public:
    explicit ConsoleUserInterface(std::ostream& err) : err_(err) {}

    void ShowMessage(const std::string& text, const std::string& caption,
                     MessageIcon icon) override;
    bool HasMainWindow() override { return false; }
    void SetStatusText(const std::string&) override {}
    void KeepResponsive() override {}

  private:
    std::ostream& err_;
};

}  // namespace tavin::ctl
