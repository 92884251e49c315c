#pragma once

#include <span>

#include "../CommandIds.h"
#include "../Edition.h"

// Menu bar and keyboard accelerators of resource 128, as data. The menu is a flat list in the
// order of a resource script: a popup's entries follow it up to its PopupEnd.

namespace tavin {

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
