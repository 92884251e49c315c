#pragma once

#include <QFont>
#include <QRect>
#include <QWidget>

#include "templates/Dialogs.h"

class QAbstractButton;
class QDialog;

// Turns a dialog template into widgets. Positions are in dialog units, which scale with the
// dialog's font: a horizontal unit is a quarter of the font's average character width, a
// vertical unit an eighth of its height, so the layout keeps its proportions with any font.

namespace tavin {

struct DialogUnits {
    double baseX;  // average character width in pixels
    double baseY;  // character height in pixels
};

DialogUnits DialogUnitsOf(const QFont& font);
QRect ToPixels(const DialogUnits& units, int x, int y, int cx, int cy);

// Sets caption, font and fixed size of `dialog` and creates its controls. Radio buttons (and
// push-like radios) exclude each other within their group only. Each control's objectName is
// its numeric id. Buttons with id 1 accept the dialog and id 2 rejects it.
void BuildDialog(QDialog& dialog, const DialogTemplate& resource);

// The control with `id`, or nullptr.
template <typename T = QWidget>
T* DialogItem(const QWidget& dialog, int id) {
    return dialog.findChild<T*>(QString::number(id));
}

}  // namespace tavin
