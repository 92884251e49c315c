// The adjustment dialog: what each row shows in both programs, what slider events write, and
// what its opener makes of them.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QMenuBar>
#include <QTest>
#include <QTimer>
#include <algorithm>

#include "CCommandMenuDlg.h"
#include "CommandIds.h"
#include "CommandRig.h"
#include "DialogBuilder.h"
#include "MenuBuilder.h"
#include "templates/CommandMenuDialog.h"

namespace tavin {
namespace {

using testing::CommandRig;
using testing::WhenShown;

using command_menu::kDecimal;
using command_menu::kExit;
using command_menu::kHexadecimal;

struct RowIds {
    int title, slider, value;
};
// Row `n` of the dialog, 1 to 18: down the first column, then the second and the third.
RowIds Row(int n) {
    const CommandMenuRow& row = CommandMenuRows()[n - 1];
    return {row.titleId, row.sliderId, row.valueId};
}
const RowIds kRow1 = Row(1);
const RowIds kRow13 = Row(13);
const RowIds kRow14 = Row(14);
const RowIds kRow18 = Row(18);
const RowIds kIrisRow = Row(5);    // item 32, 0 to 255
const RowIds kMatrixRow = Row(9);  // item 36, 0 to 510, sign-magnitude
const RowIds kClipRow = Row(16);   // item 43, 0 to 31
const RowIds kAgcRow = Row(17);    // item 44, 0 to 1023

class CommandMenuDlgTest : public ::testing::Test {
  protected:
    void Open(const Edition& edition) {
        dialog.reset();  // before the frame that owns it
        rig.reset();     // a rig restores the user interface it found when it ends
        rig = std::make_unique<CommandRig>(edition);
        rig->ShowFrame();
        dialog = std::make_unique<CCommandMenuDlg>(*rig->camera, rig->frame.get());
    }
    void Show() {
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
        rig->TakeMessages();
    }
    ScrollBarControl& Slider(const RowIds& row) {
        return *DialogItem<ScrollBarControl>(*dialog, row.slider);
    }
    QString Text(int id) { return DialogItem<QLabel>(*dialog, id)->text(); }
    bool Checked(int id) { return DialogItem<QAbstractButton>(*dialog, id)->isChecked(); }
    void Click(int id) {
        QTest::mouseClick(DialogItem<QAbstractButton>(*dialog, id), Qt::LeftButton);
    }
    void Key(const RowIds& row, Qt::Key key) {
        Slider(row).setFocus();
        QTest::keyClick(&Slider(row), key);
    }

    std::unique_ptr<CommandRig> rig;
    std::unique_ptr<CCommandMenuDlg> dialog;
};

TEST_F(CommandMenuDlgTest, OpensInDecimalWithEveryBoundRowAtTheDataSetValue) {
    const struct {
        const Edition* edition;
        bool row1Bound;
        const char* row1Title;
        RowIds firstFocus;
    } cases[] = {
        {&kTavinEdition, true, "VRG (Rough)", kRow1},
        {&kMorva7EEdition, false, "VRG (ROUGH)", Row(2)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.edition->programName);
        Open(*c.edition);
        rig->data->SetValue(28, 4, false);
        rig->data->SetValue(44, 0x2A5, false);
        Show();

        EXPECT_TRUE(Checked(kDecimal));
        EXPECT_FALSE(Checked(kHexadecimal));
        EXPECT_EQ(dialog->focusWidget(), &Slider(c.firstFocus));
        EXPECT_EQ(Slider(kRow1).isEnabled(), c.row1Bound);
        EXPECT_EQ(Text(kRow1.title), QString::fromUtf8(c.row1Title));
        EXPECT_EQ(Text(kRow1.value), c.row1Bound ? QStringLiteral(" 4 ") : QString());
        if (c.row1Bound) {
            EXPECT_EQ(Slider(kRow1).maximum(), 6);
            EXPECT_EQ(Slider(kRow1).value(), 4);
        }
        EXPECT_EQ(Text(kIrisRow.title), QStringLiteral("IRIS Level"));
        EXPECT_EQ(Slider(kIrisRow).value(), 100);
        EXPECT_EQ(Text(kIrisRow.value), QStringLiteral(" 100 "));
        EXPECT_EQ(Slider(kMatrixRow).maximum(), 510);
        EXPECT_EQ(Slider(kAgcRow).maximum(), 1023);
        EXPECT_EQ(Text(kAgcRow.value), QStringLiteral(" 677 "));
        const std::pair<RowIds, const char*> unbound[] = {
            {kRow13, "R GAIN"}, {kRow14, "B GAIN"}, {kRow18, ""}};
        for (const auto& [row, title] : unbound) {
            EXPECT_FALSE(Slider(row).isEnabled()) << row.slider;
            EXPECT_EQ(Text(row.title), QString::fromUtf8(title));
            EXPECT_EQ(Text(row.value), QString());
        }
    }
}

TEST_F(CommandMenuDlgTest, SignMagnitudeRowShowsTheCameraFormInBothFormats) {
    const struct {
        int32_t position;
        const char* decimal;
        const char* hexadecimal;
    } cases[] = {{0, " 511 ", " 1FF "}, {255, " 0 ", " 0 "}, {510, " 255 ", " FF "}};
    Open(kMorva7EEdition);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.position);
        dialog = std::make_unique<CCommandMenuDlg>(*rig->camera, rig->frame.get());
        rig->data->SetValue(36, c.position, false);
        Show();
        EXPECT_EQ(Slider(kMatrixRow).value(), c.position);
        EXPECT_EQ(Text(kMatrixRow.value), QString::fromUtf8(c.decimal));
        Click(kHexadecimal);
        EXPECT_EQ(Text(kMatrixRow.value), QString::fromUtf8(c.hexadecimal));
        EXPECT_EQ(Text(kAgcRow.value), QStringLiteral(" 0 "));
        // Switching back relabels and puts the sliders where the data set says.
        Slider(kMatrixRow).setValue(17);
        Click(kDecimal);
        EXPECT_EQ(Slider(kMatrixRow).value(), c.position);
        EXPECT_EQ(Text(kMatrixRow.value), QString::fromUtf8(c.decimal));
    }
    EXPECT_TRUE(rig->TakeMessages().empty()) << "looking writes nothing";
}

TEST_F(CommandMenuDlgTest, EveryKeyEventWritesItsItemAtOnce) {
    const struct {
        const char* name;
        RowIds row;
        int item;
        int32_t start;
        Qt::Key key;
        int32_t written;  // -1: nothing is written
        const char* label;
    } cases[] = {
        {"line right at the end writes again", kIrisRow, 32, 255, Qt::Key_Right, 255, " 255 "},
        {"Right is one up", kIrisRow, 32, 100, Qt::Key_Right, 101, " 101 "},
        {"Down is one up", kIrisRow, 32, 100, Qt::Key_Down, 101, " 101 "},
        {"Left is one down", kIrisRow, 32, 100, Qt::Key_Left, 99, " 99 "},
        {"line left stops at 0", kIrisRow, 32, 0, Qt::Key_Left, 0, " 0 "},
        {"page right stops at the top", kClipRow, 43, 25, Qt::Key_PageDown, 31, " 31 "},
        {"page left", kAgcRow, 44, 500, Qt::Key_PageUp, 490, " 490 "},
        {"sign-magnitude", kMatrixRow, 36, 255, Qt::Key_Right, 256, " 1 "},
        {"Home is no step", kAgcRow, 44, 500, Qt::Key_Home, -1, " 500 "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Open(kMorva7EEdition);
        rig->data->SetValue(c.item, c.start, false);
        Show();

        Key(c.row, c.key);
        const auto messages = rig->TakeMessages();
        const int32_t expected = c.written < 0 ? c.start : c.written;
        EXPECT_EQ(messages.size(), c.written < 0 ? 0u : 1u);
        EXPECT_EQ(CommandRig::ItemsOf(messages),
                  c.written < 0 ? std::vector<int>{} : std::vector<int>{c.item});
        EXPECT_EQ(dialog->changeCount, c.written < 0 ? 0 : 1);
        EXPECT_EQ(Slider(c.row).value(), expected);
        EXPECT_EQ(Text(c.row.value), QString::fromUtf8(c.label));
        EXPECT_EQ(rig->data->GetValue(c.item, false), expected);
        if (c.written >= 0) {
            EXPECT_EQ(rig->device->CameraValueOf(c.item), ToCamera(c.item, c.written));
        }
    }
}

TEST_F(CommandMenuDlgTest, DraggingWritesAtEveryThumbEvent) {
    Open(kMorva7EEdition);
    Show();
    ScrollBarControl& slider = Slider(kAgcRow);
    slider.setSliderDown(true);
    for (int position : {10, 20, 30}) {
        slider.setSliderPosition(position);  // as a drag moves the thumb
        QCoreApplication::processEvents();   // and the input that came with it is handled
    }
    slider.setSliderDown(false);
    EXPECT_EQ(rig->TakeMessages().size(), 3u);
    EXPECT_EQ(dialog->changeCount, 3);
    EXPECT_EQ(rig->device->CameraValueOf(44), 30);
    EXPECT_EQ(Text(kAgcRow.value), QStringLiteral(" 30 "));
}

TEST_F(CommandMenuDlgTest, FailedWriteChangesNothingAndIsNotCounted) {
    Open(kMorva7EEdition);
    Show();
    rig->device->GoSilentFromEnq(1);
    Key(kIrisRow, Qt::Key_Right);
    EXPECT_EQ(rig->messages.requests.size(), 1u);
    EXPECT_EQ(dialog->changeCount, 0);
    EXPECT_EQ(Slider(kIrisRow).value(), 100);
    EXPECT_EQ(Text(kIrisRow.value), QStringLiteral(" 100 "));
    EXPECT_EQ(rig->data->GetValue(32, false), 100);
}

TEST_F(CommandMenuDlgTest, SliderEventsWhileTheCameraIsWaitedForWriteNothing) {
    Open(kMorva7EEdition);
    Show();
    rig->device->GoSilentFromEnq(1);
    rig->device->wire.clear();
    // The slider's repeat timer, as when the mouse is held on an arrow during the write.
    QTimer::singleShot(0, &Slider(kAgcRow), [this] {
        Slider(kAgcRow).triggerAction(QAbstractSlider::SliderSingleStepAdd);
    });
    Key(kIrisRow, Qt::Key_Right);
    const auto& wire = rig->device->wire;
    EXPECT_EQ(std::count(wire.begin(), wire.end(), uint8_t{0x05}), 4) << "one write's ENQs";
    EXPECT_EQ(rig->messages.requests.size(), 1u);
    EXPECT_EQ(dialog->changeCount, 0);
}

// No release is delivered: a modal message box may take it.
TEST_F(CommandMenuDlgTest, AFailedWriteEndsTheArrowPressThatCausedIt) {
    Open(kMorva7EEdition);
    Show();
    rig->device->GoSilentFromEnq(1);
    rig->device->wire.clear();
    ScrollBarControl& slider = Slider(kIrisRow);
    const int h = slider.height();
    QTest::mousePress(&slider, Qt::LeftButton, {}, {slider.width() - h / 2, h / 2});
    QTest::qWait(700);  // longer than the repeat's first delay
    const auto& wire = rig->device->wire;
    EXPECT_EQ(std::count(wire.begin(), wire.end(), uint8_t{0x05}), 4) << "one write's ENQs";
    EXPECT_EQ(rig->messages.requests.size(), 1u);
    EXPECT_EQ(Text(kIrisRow.value), QStringLiteral(" 100 "));
}

TEST_F(CommandMenuDlgTest, RowsWithoutAnAdjustableItemNeverWrite) {
    for (const Edition* edition : {&kMorva7EEdition, &kTavinEdition}) {
        SCOPED_TRACE(edition->programName);
        Open(*edition);
        Show();
        std::vector<RowIds> rows{kRow13, kRow14, kRow18};
        if (edition == &kMorva7EEdition) {
            rows.push_back(kRow1);
        }
        for (const RowIds& row : rows) {
            ScrollBarControl& slider = Slider(row);
            EXPECT_FALSE(slider.isEnabled());
            QTest::mouseClick(&slider, Qt::LeftButton, {}, slider.rect().center());
            QTest::mouseClick(&slider, Qt::LeftButton, {}, {slider.width() - 2, 2});
            QTest::keyClick(&slider, Qt::Key_Right);
            EXPECT_EQ(dialog->LookupRow(row.slider).item, 45);
        }
        EXPECT_TRUE(rig->TakeMessages().empty());
        EXPECT_EQ(dialog->changeCount, 0);
    }
}

TEST_F(CommandMenuDlgTest, HexDisplayIsReadAtStartAndStoredOnlyByExit) {
    Open(kMorva7EEdition);
    dialog->hexDisplay = 1;
    Show();
    EXPECT_TRUE(Checked(kHexadecimal));
    EXPECT_EQ(Text(kIrisRow.value), QStringLiteral(" 64 "));
    Click(kDecimal);
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    EXPECT_EQ(dialog->hexDisplay, 1) << "Escape stores nothing";

    dialog = std::make_unique<CCommandMenuDlg>(*rig->camera, rig->frame.get());
    Show();
    Click(kHexadecimal);
    QTest::keyClick(&Slider(kIrisRow), Qt::Key_Return);  // Enter is EXIT
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(dialog->hexDisplay, 1);
}

// The document's adjustment command around the dialog.
TEST(AdjustCameraData, MarksTheDocumentModifiedOnlyAfterASuccessfulWrite) {
    const struct {
        const char* name;
        bool fail;
        std::function<void(CCommandMenuDlg&)> leave;
        bool modified;
    } cases[] = {
        {"writes, then Escape", false,
         [](CCommandMenuDlg& d) { QTest::keyClick(&d, Qt::Key_Escape); }, true},
        {"writes, then EXIT", false,
         [](CCommandMenuDlg& d) {
             QTest::mouseClick(DialogItem<QAbstractButton>(d, kExit), Qt::LeftButton);
         },
         true},
        {"only a failed write", true,
         [](CCommandMenuDlg& d) { QTest::keyClick(&d, Qt::Key_Escape); }, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CommandRig rig(kMorva7EEdition);
        rig.ShowFrame();
        rig.data->SetValue(32, 255, false);
        if (c.fail) {
            rig.device->GoSilentFromEnq(1);
        }
        WhenShown<CCommandMenuDlg>([&c](CCommandMenuDlg& d) {
            auto* iris = DialogItem<ScrollBarControl>(d, kIrisRow.slider);
            QTest::keyClick(iris, Qt::Key_Right);  // 255 again: no value changes
            c.leave(d);
        });
        QTest::keyClick(rig.frame.get(), Qt::Key_P, Qt::ControlModifier);
        EXPECT_EQ(rig.document->IsModified(), c.modified);
        EXPECT_EQ(rig.refreshes, 0) << "the panel is not refreshed";
        EXPECT_EQ(rig.messages.requests.size(), c.fail ? 1u : 0u);
    }
}

TEST(AdjustCameraData, EveryOpeningStartsInDecimal) {
    CommandRig rig(kTavinEdition);
    rig.ShowFrame();
    std::vector<bool> decimalAtStart;
    const auto openAndLeaveInHex = [&] {
        WhenShown<CCommandMenuDlg>([&](CCommandMenuDlg& d) {
            decimalAtStart.push_back(DialogItem<QAbstractButton>(d, kDecimal)->isChecked());
            QTest::mouseClick(DialogItem<QAbstractButton>(d, kHexadecimal), Qt::LeftButton);
            QTest::mouseClick(DialogItem<QAbstractButton>(d, kExit), Qt::LeftButton);
        });
    };
    openAndLeaveInHex();
    QTest::keyClick(rig.frame.get(), Qt::Key_P, Qt::ControlModifier);
    openAndLeaveInHex();
    FindCommand(*rig.frame->menuBar(), command::kAdjustCameraData)
        ->trigger();  // the top-level entry
    EXPECT_EQ(decimalAtStart, (std::vector<bool>{true, true}));
    EXPECT_FALSE(rig.document->IsModified());
}

}  // namespace
}  // namespace tavin
