#include "UserInterface.h"

namespace tavin {

namespace {

class SilentUserInterface final : public UserInterface {
  public:
    void ShowMessage(const std::string&, const std::string&, MessageIcon) override {}
    bool HasMainWindow() override { return false; }
    void SetStatusText(const std::string&) override {}
    void KeepResponsive() override {}
};

SilentUserInterface g_silent;
UserInterface* g_installed = &g_silent;

}  // namespace

UserInterface& TheUserInterface() {
    return *g_installed;
}

UserInterface* InstallUserInterface(UserInterface* ui) {
    UserInterface* previous = g_installed == &g_silent ? nullptr : g_installed;
    g_installed = ui ? ui : &g_silent;
    return previous;
}

}  // namespace tavin
