#include "DialogBuilder.h"

#include <QApplication>
#include <QButtonGroup>
#include <QDialog>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyle>
#include <cmath>

namespace tavin {

namespace {

constexpr QSize kIconSize(32, 32);

QWidget* CreateControl(QWidget& dialog, const DialogControl& control) {
    const QString text = QString::fromUtf8(control.text ? control.text : "");
    switch (control.kind) {
        case ControlKind::PushButton:
        case ControlKind::DefaultPushButton: {
            auto* button = new QPushButton(text, &dialog);
            button->setAutoDefault(false);
            button->setDefault(control.kind == ControlKind::DefaultPushButton);
            if (auto* box = qobject_cast<QDialog*>(&dialog); box && control.id == kIdOk) {
                QObject::connect(button, &QPushButton::clicked, box, &QDialog::accept);
            } else if (box && control.id == kIdCancel) {
                QObject::connect(button, &QPushButton::clicked, box, &QDialog::reject);
            }
            return button;
        }
        case ControlKind::RadioButton: {
            auto* radio = new QRadioButton(text, &dialog);
            radio->setAutoExclusive(false);
            return radio;
        }
        case ControlKind::PushLikeRadio: {
            auto* button = new QPushButton(text, &dialog);
            button->setCheckable(true);
            button->setAutoDefault(false);
            return button;
        }
        case ControlKind::GroupBox:
            return new QGroupBox(text, &dialog);
        case ControlKind::Label: {
            auto* label = new QLabel(text, &dialog);
            label->setTextFormat(Qt::PlainText);
            return label;
        }
        case ControlKind::Edit:
            return new QLineEdit(text, &dialog);
        case ControlKind::Icon: {
            auto* label = new QLabel(&dialog);
            const QIcon icon = QApplication::windowIcon().isNull()
                                   ? dialog.style()->standardIcon(QStyle::SP_MessageBoxInformation)
                                   : QApplication::windowIcon();
            // Sized by its icon, not by the template, as the system's icon control is.
            label->setPixmap(icon.pixmap(kIconSize));
            label->setMinimumSize(kIconSize);
            return label;
        }
        case ControlKind::ValueLabel: {
            auto* label = new QLabel(text, &dialog);
            label->setTextFormat(Qt::PlainText);
            label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            return label;
        }
        case ControlKind::HScrollBar:
            return new QScrollBar(Qt::Horizontal, &dialog);
    }
    return nullptr;
}

// An edit that does not scroll takes no more characters than it can show.
void LimitToWidth(QLineEdit& edit) {
    QObject::connect(&edit, &QLineEdit::textEdited, &edit, [&edit](const QString& text) {
        const int room = edit.contentsRect().width() - 6;
        QString fitted = text;
        while (!fitted.isEmpty() && edit.fontMetrics().horizontalAdvance(fitted) > room) {
            fitted.chop(1);
        }
        if (fitted != text) {
            edit.setText(fitted);
        }
    });
}

}  // namespace

DialogUnits DialogUnitsOf(const QFont& font) {
    static const QString kAlphabet =
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const QFontMetricsF metrics(font);
    const double averageWidth = metrics.horizontalAdvance(kAlphabet) / kAlphabet.size();
    // Unrounded: a whole-pixel average would shrink every box by up to half a pixel per
    // character, which the wider capitals of the dialog font cannot spare.
    return {averageWidth, metrics.height()};
}

QRect ToPixels(const DialogUnits& units, int x, int y, int cx, int cy) {
    const auto h = [&](int v) { return int(std::lround(v * units.baseX / 4.0)); };
    const auto v = [&](int w) { return int(std::lround(w * units.baseY / 8.0)); };
    // Edges are rounded, not sizes, so that controls that meet in dialog units meet on screen.
    return QRect(QPoint(h(x), v(y)), QPoint(h(x + cx), v(y + cy)) - QPoint(1, 1));
}

QFont DialogFont(int pointSize) {
    QFont font = QApplication::font();
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(pointSize);
    return font;
}

void BuildDialog(QWidget& dialog, const DialogTemplate& resource, const ControlFactory& factory) {
    dialog.setWindowTitle(QString::fromUtf8(resource.caption));
    const QFont font = DialogFont(resource.pointSize);
    dialog.setFont(font);
    const DialogUnits units = DialogUnitsOf(font);
    dialog.setFixedSize(ToPixels(units, 0, 0, resource.cx, resource.cy).size());

    QButtonGroup* group = nullptr;
    QList<QWidget*> frames;
    for (const DialogControl& control : resource.controls) {
        QWidget* widget = factory ? factory(control, dialog) : nullptr;
        if (!widget) {
            widget = CreateControl(dialog, control);
        }
        widget->setObjectName(QString::number(control.id));
        widget->setGeometry(ToPixels(units, control.x, control.y, control.cx, control.cy));
        widget->setEnabled((control.styles & style::kDisabled) == 0);
        if (control.styles & style::kGroup) {
            group = nullptr;
        }
        const bool radio =
            control.kind == ControlKind::RadioButton || control.kind == ControlKind::PushLikeRadio;
        if (radio) {
            if (!group) {
                group = new QButtonGroup(&dialog);
                group->setExclusive(true);
            }
            group->addButton(static_cast<QAbstractButton*>(widget));
        }
        if (auto* edit = qobject_cast<QLineEdit*>(widget);
            edit && (control.styles & style::kHScroll) == 0) {
            LimitToWidth(*edit);
        }
        if (auto* box = qobject_cast<QGroupBox*>(widget);
            box && (control.styles & style::kCenter)) {
            box->setAlignment(Qt::AlignHCenter);
        }
        if (control.kind == ControlKind::GroupBox) {
            frames.append(widget);
        }
    }
    // Frames are listed after the controls they surround; keep them underneath, so that clicks
    // reach the controls.
    for (QWidget* frame : frames) {
        frame->lower();
    }
}

}  // namespace tavin
