#pragma once

class QAbstractButton;
class QKeyEvent;
class QWidget;

// Enter in a dialog as on the desktop: it presses the push button that has the keyboard focus
// (a selection button only when it is not selected yet), and elsewhere the dialog's default
// button.

namespace tavin {

// True when `event` is Enter and has been acted on; other keys are left to the dialog.
bool PressButtonForEnter(const QWidget& dialog, const QKeyEvent& event,
                         QAbstractButton& defaultButton);

}  // namespace tavin
