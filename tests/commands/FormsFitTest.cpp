// Every text of every form and dialog of both programs fits its control, and the main window
// opens with the whole control panel in view. Also run at QT_SCALE_FACTOR=2 (CMakeLists.txt).

#include <gtest/gtest.h>

#include <QtWidgets>

#include "CAboutDlg.h"
#include "CCommSystemDlg.h"
#include "CCommandMenuDlg.h"
#include "CManualCommandDlg.h"
#include "CSerialPortDlg.h"
#include "CommandRig.h"

namespace tavin {
namespace {

// What a control's text needs against the room the style leaves it: a push button's bevel,
// a group box's corners, a radio button's indicator (in its size hint, as are a sunken
// label's frame and indent). One line of text needs the font's height.
bool Fits(const QWidget& control) {
    const QStyle& style = *control.style();
    const int height = control.fontMetrics().height();
    const auto fits = [&](int width, const QRect& room) {
        return width <= room.width() && height <= room.height();
    };
    if (const auto* button = qobject_cast<const QPushButton*>(&control)) {
        QStyleOptionButton option;
        option.initFrom(button);
        const int width = control.fontMetrics().horizontalAdvance(button->text());
        return fits(width, style.subElementRect(QStyle::SE_PushButtonContents, &option, button));
    }
    if (const auto* box = qobject_cast<const QGroupBox*>(&control)) {
        QStyleOptionGroupBox option;
        option.initFrom(box);
        option.text = box->title();
        option.textAlignment = box->alignment();
        option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
        const auto part = [&](QStyle::SubControl sub) {
            return style.subControlRect(QStyle::CC_GroupBox, &option, sub, box);
        };
        return part(QStyle::SC_GroupBoxLabel).width() <= part(QStyle::SC_GroupBoxContents).width();
    }
    if (const auto* edit = qobject_cast<const QLineEdit*>(&control)) {
        return fits(control.fontMetrics().horizontalAdvance(edit->text()), edit->contentsRect());
    }
    if (qobject_cast<const QRadioButton*>(&control) || qobject_cast<const QLabel*>(&control)) {
        return fits(control.sizeHint().width(), control.rect());
    }
    return true;  // a slider
}

TEST(FormsFit, EveryTextOfEveryFormAndDialogFits) {
    for (const Edition* edition : {&kMorva7EEdition, &kTavinEdition}) {
        testing::CommandRig rig(*edition);
        rig.ShowFrame();
        CCommSystemDlg start;
        CSerialPortDlg port;
        CCommandMenuDlg commandMenu(*rig.camera, rig.frame.get());
        CManualCommandDlg manual(*rig.camera, rig.frame.get());
        CAboutDlg about;
        for (QWidget* form :
             std::initializer_list<QWidget*>{&start, &port, &commandMenu, &manual, &about,
                                             rig.frame->findChild<QScrollArea*>()->widget()}) {
            form->show();  // dialogs fill their controls when shown
            for (const QWidget* control : form->findChildren<QWidget*>()) {
                bool builtFromTemplate = false;  // named by its numeric id
                control->objectName().toInt(&builtFromTemplate);
                EXPECT_TRUE(!builtFromTemplate || Fits(*control))
                    << edition->programName << ", " << qPrintable(form->windowTitle()) << ": "
                    << qPrintable(control->objectName()) << " "
                    << qPrintable(control->property("text").toString()) << " "
                    << qPrintable(control->property("title").toString());
            }
            form->hide();
        }
    }
}

TEST(FormsFit, TheMainWindowOpensWithTheWholeControlPanelInView) {
    for (const Edition* edition : {&kMorva7EEdition, &kTavinEdition}) {
        testing::CommandRig rig(*edition);
        rig.ShowFrame();
        const auto* view = rig.frame->findChild<QScrollArea*>();
        EXPECT_FALSE(view->horizontalScrollBar()->isVisible()) << edition->programName;
        EXPECT_FALSE(view->verticalScrollBar()->isVisible()) << edition->programName;
        EXPECT_TRUE(view->viewport()->rect().contains(view->widget()->geometry()));
    }
}

}  // namespace
}  // namespace tavin
