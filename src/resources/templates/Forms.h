#pragma once

#include "Dialogs.h"

// The main window's form, the control panel, in each program's layout.

namespace tavin {

namespace form {
inline constexpr int kControlPanel = 101;
}  // namespace form

const DialogTemplate& ControlPanelFormTemplate(EditionKind edition);

}  // namespace tavin
