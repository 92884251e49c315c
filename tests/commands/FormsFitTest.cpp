// Every form and dialog of both programs shows all of its texts, and the main window opens
// with the whole control panel in view. Also run with QT_SCALE_FACTOR=2 (see CMakeLists.txt).

#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>

#include "CAboutDlg.h"
#include "CCommSystemDlg.h"
#include "CCommandMenuDlg.h"
#include "CManualCommandDlg.h"
#include "CSerialPortDlg.h"
#include "CommandRig.h"

namespace tavin {
namespace {

using testing::CommandRig;

// The room a control has for its text, and what its text needs, both as the style draws them:
// the indicator of a radio button, the bevel of a push button, the frame of a sunken label.
struct Fit {
    QSize needed;
    QSize room;
};

Fit FitOf(const QWidget& control) {
    const QFontMetrics metrics = control.fontMetrics();
    if (const auto* button = qobject_cast<const QPushButton*>(&control)) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        const QRect contents =
            button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
        return {{metrics.horizontalAdvance(option.text), metrics.height()}, contents.size()};
    }
    if (const auto* box = qobject_cast<const QGroupBox*>(&control)) {
        // The caption sits on the frame's top line, between its corners.
        QStyleOptionGroupBox option;
        option.initFrom(box);
        option.text = box->title();
        option.textAlignment = box->alignment();
        option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
        const QStyle& style = *box->style();
        const QRect label =
            style.subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, box);
        const QRect inside =
            style.subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxContents, box);
        return {label.size(), {inside.width(), box->height()}};
    }
    if (const auto* edit = qobject_cast<const QLineEdit*>(&control)) {
        const int textWidth = metrics.horizontalAdvance(edit->text());
        return {{textWidth, metrics.height()}, edit->contentsRect().size()};
    }
    if (qobject_cast<const QRadioButton*>(&control) || qobject_cast<const QLabel*>(&control)) {
        // The size hint adds the indicator and its spacing, the focus frame or the sunken
        // frame and its indent; one line of text needs the font's height.
        return {{control.sizeHint().width(), metrics.height()}, control.size()};
    }
    return {{}, control.size()};  // a slider: no text
}

// Each control the builder made (named by its id) whose text does not fit.
std::vector<std::string> Misfits(const QWidget& form, const char* name) {
    std::vector<std::string> misfits;
    for (const QWidget* control : form.findChildren<QWidget*>()) {
        bool numbered = false;
        control->objectName().toInt(&numbered);
        const Fit fit = FitOf(*control);
        if (numbered &&
            (fit.needed.width() > fit.room.width() || fit.needed.height() > fit.room.height())) {
            misfits.push_back(QStringLiteral("%1 %2 \"%3\": needs %4x%5, has %6x%7")
                                  .arg(name, control->objectName(),
                                       control->property("text").toString().isEmpty()
                                           ? control->property("title").toString()
                                           : control->property("text").toString())
                                  .arg(fit.needed.width())
                                  .arg(fit.needed.height())
                                  .arg(fit.room.width())
                                  .arg(fit.room.height())
                                  .toStdString());
        }
    }
    return misfits;
}

TEST(FormsFit, EveryTextOfEveryFormAndDialogFits) {
    for (const Edition* edition : {&kMorva7EEdition, &kTavinEdition}) {
        CommandRig rig(*edition);
        rig.ShowFrame();
        CCommSystemDlg start;
        CSerialPortDlg port;
        CCommandMenuDlg commandMenu(*rig.camera, rig.frame.get());
        CManualCommandDlg manual(*rig.data, rig.frame.get());
        CAboutDlg about;
        const std::pair<QWidget*, const char*> forms[] = {
            {&start, "start dialog"},
            {&port, "Serial Port"},
            {&commandMenu, "Command Menu"},
            {&manual, "Manual Command"},
            {&about, "About"},
            {rig.frame->findChild<QScrollArea*>()->widget(), "control panel"}};
        for (const auto& [form, name] : forms) {
            form->show();  // dialogs fill their controls when shown
            EXPECT_EQ(Misfits(*form, name), std::vector<std::string>{}) << edition->programName;
            form->hide();
        }
    }
}

TEST(FormsFit, TheMainWindowOpensWithTheWholeControlPanelInView) {
    for (const Edition* edition : {&kMorva7EEdition, &kTavinEdition}) {
        CommandRig rig(*edition);
        rig.ShowFrame();
        auto* view = rig.frame->findChild<QScrollArea*>();
        EXPECT_FALSE(view->horizontalScrollBar()->isVisible()) << edition->programName;
        EXPECT_FALSE(view->verticalScrollBar()->isVisible()) << edition->programName;
        EXPECT_TRUE(view->viewport()->rect().contains(view->widget()->geometry()))
            << edition->programName;
    }
}

}  // namespace
}  // namespace tavin
