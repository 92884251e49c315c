#include "DialogKeys.h"

#include <QKeyEvent>
#include <QPushButton>
#include <QWidget>

namespace tavin {

bool PressButtonForEnter(const QWidget& dialog, const QKeyEvent& event,
                         QAbstractButton& defaultButton) {
    if ((event.key() != Qt::Key_Return && event.key() != Qt::Key_Enter) ||
        (event.modifiers() & ~Qt::KeypadModifier) != 0) {
        return false;
    }
    // A selection button drawn as a push button that is already selected has nothing to press:
    // there, as on a radio button, Enter means the default button.
    auto* focused = qobject_cast<QPushButton*>(dialog.focusWidget());
    const bool pressable =
        focused && focused->isEnabled() && !(focused->isCheckable() && focused->isChecked());
    (pressable ? focused : &defaultButton)->click();
    return true;
}

}  // namespace tavin
