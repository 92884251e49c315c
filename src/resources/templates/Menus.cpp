#include "Menus.h"

namespace tavin {

namespace {

using K = MenuEntryKind;

constexpr MenuEntry kMorva7EMenu[] = {
    {K::Popup, 0, "&File"},
    {K::Command, command::kFileOpen, "&Open...\tCtrl+O"},
    {K::Command, command::kFileSave, "&Save\tCtrl+S"},
    {K::Command, command::kFileSaveAs, "Save &As..."},
    {K::Separator, 0, nullptr},
    {K::Command, command::kFileMru1, "Recent File", true},
    {K::Separator, 0, nullptr},
    {K::Command, command::kAppExit, "E&xit"},
    {K::PopupEnd, 0, nullptr},
    {K::Popup, 0, "&Interface"},
    {K::Command, command::kManualCommand, "Manual Command..."},
    {K::Command, command::kReadFromCamera, "&Read From Camera\tCtrl+R"},
    {K::Command, command::kWriteToCamera, "&Write To Camera\tCtrl+W"},
    {K::Separator, 0, nullptr},
    {K::Command, command::kPortSetup, "Seria&l Port...\tCtrl+L "},
    {K::PopupEnd, 0, nullptr},
    {K::Popup, 0, "&Help"},
    {K::Command, command::kAppAbout, "&About MORVA-7E..."},
    {K::PopupEnd, 0, nullptr},
};

constexpr MenuEntry kTavinMenu[] = {
    {K::Popup, 0, "&File"},
    {K::Command, command::kFileOpen, "&Open...\tCtrl+O"},
    {K::Command, command::kFileSave, "&Save\tCtrl+S"},
    {K::Command, command::kFileSaveAs, "Save &As..."},
    {K::Separator, 0, nullptr},
    {K::Command, command::kFileMru1, "Recent File", true},
    {K::Separator, 0, nullptr},
    {K::Command, command::kAppExit, "E&xit"},
    {K::PopupEnd, 0, nullptr},
    {K::Popup, 0, "&Interface"},
    {K::Command, command::kManualCommand, "Manual Command..."},
    {K::Command, command::kReadFromCamera, "&Read From Camera\tCtrl+R"},
    {K::Command, command::kWriteToCamera, "&Write To Camera\tCtrl+W"},
    {K::Separator, 0, nullptr},
    {K::Command, command::kPortSetup, "Seria&l Port...\tCtrl+L "},
    {K::PopupEnd, 0, nullptr},
    {K::Popup, 0, "&Help"},
    {K::Command, command::kAppAbout, "&About MORVA-7ECL..."},
    {K::PopupEnd, 0, nullptr},
    {K::Command, command::kAdjustCameraData, ""},
};

constexpr Accelerator kAccelerators[] = {
    {"Ctrl+L", command::kPortSetupAccel},
    {"Ctrl+N", command::kFileNew},
    {"Ctrl+O", command::kFileOpen},
    {"Ctrl+P", command::kAdjustCameraDataAccel},
    {"Ctrl+R", command::kReadFromCameraAccel},
    {"Ctrl+S", command::kFileSave},
    {"Ctrl+W", command::kWriteToCameraAccel},
    {"Ctrl+C", command::kEditCopy},
    {"Ctrl+Ins", command::kEditCopy},
    {"Ctrl+X", command::kEditCut},
    {"Shift+Del", command::kEditCut},
    {"Ctrl+V", command::kEditPaste},
    {"Shift+Ins", command::kEditPaste},
    {"Ctrl+Z", command::kEditUndo},
    {"Alt+Backspace", command::kEditUndo},
    {"F6", command::kNextPane},
    {"Shift+F6", command::kPrevPane},
};

}  // namespace

std::span<const MenuEntry> MainMenu(EditionKind edition) {
    return edition == EditionKind::Tavin ? std::span<const MenuEntry>(kTavinMenu)
                                         : std::span<const MenuEntry>(kMorva7EMenu);
}

std::span<const Accelerator> MainAccelerators() {
    return kAccelerators;
}

}  // namespace tavin
