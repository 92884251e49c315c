#pragma once

#include <span>

#include "../Edition.h"

// Menu bar and keyboard accelerators of resource 128, as data. The menu is a flat list in the
// order of a resource script: a popup's entries follow it up to its PopupEnd.

namespace tavin {

namespace command {
// File and Help commands.
inline constexpr unsigned kFileNew = 57600;
inline constexpr unsigned kFileOpen = 57601;
inline constexpr unsigned kFileSave = 57603;
inline constexpr unsigned kFileSaveAs = 57604;
inline constexpr unsigned kFileMru1 = 57616;  // up to kFileMru1 + 3
inline constexpr unsigned kAppExit = 57665;
inline constexpr unsigned kAppAbout = 57664;
// Interface commands: each menu id has an accelerator twin that runs the same handler.
inline constexpr unsigned kPortSetupAccel = 32771;
inline constexpr unsigned kPortSetup = 32772;
inline constexpr unsigned kReadFromCamera = 32773;
inline constexpr unsigned kReadFromCameraAccel = 32774;
inline constexpr unsigned kWriteToCamera = 32775;
inline constexpr unsigned kWriteToCameraAccel = 32776;
inline constexpr unsigned kManualCommand = 32777;
inline constexpr unsigned kAdjustCameraData = 32779;
inline constexpr unsigned kAdjustCameraDataAccel = 32780;
// Editing and pane commands that only have accelerators; the program does not handle them.
inline constexpr unsigned kEditCopy = 57634;
inline constexpr unsigned kEditCut = 57635;
inline constexpr unsigned kEditPaste = 57637;
inline constexpr unsigned kEditUndo = 57643;
inline constexpr unsigned kNextPane = 57680;
inline constexpr unsigned kPrevPane = 57681;
}  // namespace command

enum class MenuEntryKind { Command, Separator, Popup, PopupEnd };

struct MenuEntry {
    MenuEntryKind kind;
    unsigned id;       // command id; 0 for separators and popups
    const char* text;  // "\t" separates the shortcut text shown at the right
    bool grayed = false;
};

struct Accelerator {
    const char* key;  // in the portable key-sequence notation, e.g. "Ctrl+L", "Shift+F6"
    unsigned id;
};

std::span<const MenuEntry> MainMenu(EditionKind edition);
std::span<const Accelerator> MainAccelerators();

}  // namespace tavin
