#pragma once

#include <QFont>
#include <QRect>
#include <QWidget>
#include <functional>

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

// The font the forms are laid out with: a sans-serif with the character widths of the
// typeface they were designed for, so that every text fits where it was placed. Liberation
// Sans is packaged by every Linux distribution; Arial, its metric twin, comes with Windows.
QFont DialogFont(int pointSize);

// The font every form and dialog is laid out with. The templates were drawn for a system
// sans-serif of 8 points; Liberation Sans, which Linux distributions package, or Arial, its
// metric twin on Windows, sets their texts in about the same room.
QFont DialogFont(int pointSize);

DialogUnits DialogUnitsOf(const QFont& font);
QRect ToPixels(const DialogUnits& units, int x, int y, int cx, int cy);

// Creates the widget of a control for `parent`, or returns nullptr to leave it to the builder.
// Lets a layer above the builder supply its own control classes (the panel's scroll bar).
using ControlFactory = std::function<QWidget*(const DialogControl&, QWidget& parent)>;

// Sets caption, font and fixed size of `dialog` (a dialog or any form) and creates its controls.
// Radio buttons (and push-like radios) exclude each other within their group only. Each
// control's objectName is its numeric id. In a QDialog, buttons with id 1 accept it and id 2
// rejects it.
void BuildDialog(QWidget& dialog, const DialogTemplate& resource,
                 const ControlFactory& factory = {});

// The control with `id`, or nullptr.
template <typename T = QWidget>
T* DialogItem(const QWidget& dialog, int id) {
    return dialog.findChild<T*>(QString::number(id));
}

}  // namespace tavin
