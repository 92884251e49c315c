// Texts of the application shell common to both programs: prompts, document and file messages.
// A menu command's string holds its status-bar prompt, a line feed and its short name.

#include "../StringTable.h"

namespace tavin::strings {

namespace {
constexpr StringEntry kApplication[] = {
    // Idle status, port pane sizing text.
    {62002, "Ready"},
    {59142, "COM8"},

    // Document.
    {61443, "Untitled"},
    {62100, "File type mismatch.\nFile \"%1\" does not contain data for %2 apprication."},
    {61697, "Failed to open document."},
    {61698, "Failed to save document."},
    {61699, "Save changes to %1?"},
    {61700, "Failed to create empty document."},
    {61728, "Unexpected file format."},
    {61858, "%1 was not found."},
    {61861, "Access to %1 was denied."},
    {61865, "An unexpected error occurred while reading %1."},
    {61866, "An unexpected error occurred while writing %1."},

    // Prompts of the File and Help menus.
    {57600, "Create a new document\nNew"},
    {57601, "Open an existing document\nOpen"},
    {57603, "Save the active document\nSave"},
    {57604, "Save the active document with a new name\nSave As"},
    {57616, "Open this document"},
    {57617, "Open this document"},
    {57618, "Open this document"},
    {57619, "Open this document"},
    {57664, "Display program information, version number and copyright\nAbout"},
    {57665, "Quit the application; prompts to save documents\nExit"},

    // Prompts of the Interface commands.
    {32772, "Select A Communication Port\nSetup Port"},
    {32773, "Read Every Camera Data From Camera\nRead"},
    {32775, "Write Every Camera Data To Camera\nWrite"},
    {32777, "Send or Receive Message Manually\nManual"},
    {32779, "Adjust Camera Data\nCommand"},

    {62214, "VRG (Rough)"},
};
}  // namespace

std::span<const StringEntry> Application() {
    return kApplication;
}

}  // namespace tavin::strings
