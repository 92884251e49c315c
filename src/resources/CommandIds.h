#pragma once

// Ids of the commands of menus and accelerators. A command's status-bar prompt is the string of
// the same id, so the string table uses these too.

namespace tavin::command {

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

}  // namespace tavin::command
