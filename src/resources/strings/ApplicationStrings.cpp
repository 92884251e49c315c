// Texts of the application shell common to both programs: prompts, document and file messages.
// A menu command's string holds its status-bar prompt, a line feed and its short name.

#include "../CommandIds.h"
#include "../StringIds.h"
#include "../StringTable.h"

namespace tavin::strings {

namespace {
constexpr StringEntry kApplication[] = {
    // Idle status, port pane sizing text.
    {string_id::kReady, "Ready"},
    {string_id::kPortPaneSizing, "COM8"},

    // Progress of the long camera operations, and what the status bar says afterwards when one
    // did not get done.
    {string_id::kReadingItems, "Reading item %1 of %2 from camera..."},
    {string_id::kSendingItems, "Sending item %1 of %2 to camera..."},
    {string_id::kLoopTestStep, "Loop test: step %1 of 88, shutter %2..."},
    {string_id::kSettingsNotRead,
     "The camera's settings were not read; the panel shows the last complete set."},
    {string_id::kLoadIncomplete,
     "%1 did not reach the camera completely; the panel shows what the camera took."},
    {string_id::kNotDoneNoAnswer, "%1 not done: the camera did not answer."},
    {string_id::kNotDoneLoopTest, "%1 not done: the loop test was running."},
    {string_id::kLoopTestStopped, "The loop test stopped at the step the camera did not take."},
    {string_id::kRequestOpenFile, "Open %1"},
    {string_id::kRequestClose, "Close"},

    // Document.
    {string_id::kUntitled, "Untitled"},
    {string_id::kFileTypeMismatch,
     "File type mismatch.\nFile \"%1\" does not contain data for %2 apprication."},
    {string_id::kOpenFailed, "Failed to open document."},
    {string_id::kSaveFailed, "Failed to save document."},
    {string_id::kAskToSave, "Save changes to %1?"},
    {string_id::kCreateFailed, "Failed to create empty document."},
    {string_id::kUnexpectedFormat, "Unexpected file format."},
    {string_id::kFileNotFound, "%1 was not found."},
    {string_id::kFileAccessDenied, "Access to %1 was denied."},
    {string_id::kFileReadError, "An unexpected error occurred while reading %1."},
    {string_id::kFileWriteError, "An unexpected error occurred while writing %1."},

    // Prompts of the File and Help menus.
    {command::kFileNew, "Create a new document\nNew"},
    {command::kFileOpen, "Open an existing document\nOpen"},
    {command::kFileSave, "Save the active document\nSave"},
    {command::kFileSaveAs, "Save the active document with a new name\nSave As"},
    {command::kFileMru1, "Open this document"},
    {command::kFileMru1 + 1, "Open this document"},
    {command::kFileMru1 + 2, "Open this document"},
    {command::kFileMru1 + 3, "Open this document"},
    {command::kAppAbout, "Display program information, version number and copyright\nAbout"},
    {command::kAppExit, "Quit the application; prompts to save documents\nExit"},

    // Prompts of the Interface commands.
    {command::kPortSetup, "Select A Communication Port\nSetup Port"},
    {command::kReadFromCamera, "Read Every Camera Data From Camera\nRead"},
    {command::kWriteToCamera, "Write Every Camera Data To Camera\nWrite"},
    {command::kManualCommand, "Send or Receive Message Manually\nManual"},
    {command::kAdjustCameraData, "Adjust Camera Data\nCommand"},

    {string_id::kLabelVrgRough, "VRG (Rough)"},
};
}  // namespace

std::span<const StringEntry> Application() {
    return kApplication;
}

}  // namespace tavin::strings
