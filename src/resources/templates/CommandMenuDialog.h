#pragma once

#include <array>
#include <span>

#include "Dialogs.h"

// "Command Menu", the adjustment dialog: 18 rows of title, slider and value label in three
// columns of six, the display format choice and EXIT.

namespace tavin {

namespace dialog {
inline constexpr int kCommandMenu = 138;
}  // namespace dialog

namespace command_menu {
inline constexpr int kDecimal = 1120;
inline constexpr int kHexadecimal = 1121;
inline constexpr int kExit = kIdOk;
inline constexpr int kRowCount = 18;
inline constexpr int kNoItem = -1;  // the row has no camera item in this program
}  // namespace command_menu

// One row of the dialog: its three controls and the camera item it adjusts in each program.
struct CommandMenuRow {
    int titleId;
    int sliderId;
    int valueId;
    const char* title;  // the template's text, replaced by the item's label when it has one
    int morva7eItem;
    int tavinItem;

    int ItemIn(EditionKind edition) const {
        return edition == EditionKind::Tavin ? tavinItem : morva7eItem;
    }
};

// The rows in order: down the first column, then the second and the third.
std::span<const CommandMenuRow> CommandMenuRows();
const DialogTemplate& CommandMenuDialogTemplate();

}  // namespace tavin
