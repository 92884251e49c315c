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
    auto* focused = qobject_cast<QPushButton*>(dialog.focusWidget());
    (focused && focused->isEnabled() ? focused : &defaultButton)->click();
    return true;
}

}  // namespace tavin
