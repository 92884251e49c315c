// The control panel: what a click or a key sends to the camera, what the panel then shows, and
// how it follows the data set.

#include "CTAVINView.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTest>

#include "PanelTestSupport.h"
#include "QueuedInput.h"

namespace tavin {
namespace {

using testing::CameraWrite;
using testing::PanelFixture;

constexpr uint8_t kFd = 0x06, kShutter = 0x08, kMode = 0x04, kTrigger = 0x05, kVBinning = 0x1B,
                  kGainFine = 0x18, kBlackLevel = 0x17, kGainRough = 0x0C, kHdReset = 0x0B;

const int kGainButtons[] = {1083, 1084, 1085};

class PanelTest : public ::testing::Test {
  protected:
    PanelFixture panel{kMorva7EEdition};

    void Click(int id) { QTest::mouseClick(panel.Button(id), Qt::LeftButton); }
    void Key(int sliderId, Qt::Key key) { QTest::keyClick(panel.Slider(sliderId), key); }
};

TEST_F(PanelTest, SixDecibelsIsOneFrameOnTheWireAndMarksTheDocumentOnlyWhenItChanges) {
    panel.CameraHolds({{11, 0}});
    panel.document.SetModifiedFlag(false);
    Click(1084);
    ASSERT_FALSE(panel.camera->Frames().empty());
    EXPECT_EQ(panel.camera->Frames().back(), "01FF010C010000");
    EXPECT_EQ(panel.writes, (std::vector<CameraWrite>{{kGainRough, 1}}));
    EXPECT_TRUE(panel.document.IsModified());
    EXPECT_EQ(panel.Checked({1083, 1084, 1085}), std::vector<int>{1084});

    // The selected button again: written again, but nothing changed.
    panel.document.SetModifiedFlag(false);
    Click(1084);
    EXPECT_EQ(panel.writes, (std::vector<CameraWrite>{{kGainRough, 1}, {kGainRough, 1}}));
    EXPECT_FALSE(panel.document.IsModified());
    EXPECT_EQ(panel.Checked({1083, 1084, 1085}), std::vector<int>{1084});
}

TEST_F(PanelTest, EveryButtonWritesItsOwnItemAndValue) {
    struct Case {
        int id;
        CameraWrite write;
    };
    // FD "ON" first, so that the shutter speeds (with "FIXED SHUTTER / NOR.") and the trigger
    // buttons can be clicked.
    const Case cases[] = {
        {1003, {kFd, 0}},        {1066, {kMode, 0}},      {1005, {kShutter, 0}},
        {1006, {kShutter, 1}},   {1007, {kShutter, 2}},   {1008, {kShutter, 3}},
        {1009, {kShutter, 4}},   {1010, {kShutter, 5}},   {1011, {kShutter, 6}},
        {1012, {kShutter, 7}},   {1094, {kTrigger, 0}},   {1095, {kTrigger, 1}},
        {1030, {kVBinning, 0}},  {1031, {kVBinning, 1}},  {1083, {kGainRough, 0}},
        {1084, {kGainRough, 1}}, {1085, {kGainRough, 2}}, {1067, {kMode, 1}},
        {1068, {kMode, 2}},      {1004, {kFd, 1}},
    };
    for (const Case& c : cases) {
        panel.writes.clear();
        ASSERT_TRUE(panel.Button(c.id)->isEnabled()) << c.id;
        Click(c.id);
        EXPECT_EQ(panel.writes, std::vector<CameraWrite>{c.write}) << c.id;
        EXPECT_TRUE(panel.Button(c.id)->isChecked()) << c.id;
    }
    EXPECT_TRUE(panel.ui.messages.empty());
}

TEST_F(PanelTest, SliderStepsWriteThePositionTheNativeControlWouldGive) {
    struct Case {
        int slider;
        int32_t start;
        Qt::Key key;
        std::optional<int32_t> written;  // nothing written when empty
    };
    const Case cases[] = {
        {1026, 25, Qt::Key_Right, 26},    {1026, 25, Qt::Key_Left, 24},
        {1026, 50, Qt::Key_Right, 50},    {1026, 0, Qt::Key_Left, 0},
        {1026, 25, Qt::Key_PageDown, 35}, {1026, 45, Qt::Key_PageDown, 50},
        {1028, 5, Qt::Key_PageUp, 0},     {1028, 30, Qt::Key_PageUp, 20},
        {1028, 30, Qt::Key_Down, 31},     {1028, 30, Qt::Key_Up, 29},
        {1028, 30, Qt::Key_Home, {}},     {1028, 30, Qt::Key_End, {}},
    };
    for (const Case& c : cases) {
        const int item = c.slider == 1026 ? 9 : 10;
        const int label = c.slider + 1;
        panel.CameraHolds({{item, c.start}});
        Key(c.slider, c.key);
        const int32_t shown = c.written.value_or(c.start);
        if (c.written) {
            const uint8_t number = c.slider == 1026 ? kGainFine : kBlackLevel;
            EXPECT_EQ(panel.writes, std::vector<CameraWrite>({{number, *c.written}})) << c.key;
        } else {
            EXPECT_TRUE(panel.writes.empty()) << c.key;
        }
        EXPECT_EQ(panel.Slider(c.slider)->value(), shown) << c.key;
        EXPECT_EQ(panel.LabelText(label), QString(" %1 ").arg(shown)) << c.key;
        EXPECT_EQ(panel.data.GetValue(item, false), shown) << c.key;
    }
}

TEST_F(PanelTest, DraggingTheThumbWritesAtEveryMoveAndTheLabelFollows) {
    panel.CameraHolds({{10, 0}});
    ScrollBarControl& bar = *panel.Slider(1028);
    std::vector<QString> labels;
    panel.onWrite = [&] { labels.push_back(panel.LabelText(1029)); };
    const int h = bar.height();
    const QPoint thumb(h + 2, h / 2);
    QTest::mousePress(&bar, Qt::LeftButton, {}, thumb);
    for (int dx : {10, 25, 40}) {
        QTest::mouseMove(&bar, thumb + QPoint(dx, 0));
    }
    QTest::mouseRelease(&bar, Qt::LeftButton, {}, thumb + QPoint(40, 0));

    // Three moves, then the end of the drag at the last position.
    ASSERT_EQ(panel.writes.size(), 4u);
    EXPECT_LT(0, panel.writes[0].value);
    EXPECT_LT(panel.writes[0].value, panel.writes[1].value);
    EXPECT_LT(panel.writes[1].value, panel.writes[2].value);
    EXPECT_EQ(panel.writes[3], panel.writes[2]);
    // While each write went out, the label still showed the previous position.
    EXPECT_EQ(labels[1], QString(" %1 ").arg(panel.writes[0].value));
    EXPECT_EQ(panel.LabelText(1029), QString(" %1 ").arg(panel.writes[2].value));
    EXPECT_EQ(bar.value(), panel.writes[2].value);
}

TEST_F(PanelTest, AFailedSliderWriteLeavesSliderAndLabelAtTheStoredValueAndRefreshesNothing) {
    panel.CameraHolds({{9, 25}, {0, 0}});
    panel.GoSilent(true);
    // Changed behind the panel's back: a refresh would show it.
    panel.data.SetValue(0, 1, false);
    Key(1026, Qt::Key_Right);
    ASSERT_EQ(panel.ui.messages.size(), 1u);
    EXPECT_EQ(panel.ui.messages[0].rfind("ERROR - ", 0), 0u);
    EXPECT_EQ(panel.Slider(1026)->value(), 25);
    EXPECT_EQ(panel.LabelText(1027), " 25 ");
    EXPECT_EQ(panel.data.GetValue(9, false), 25);
    EXPECT_EQ(panel.Checked({1003, 1004}), std::vector<int>{1003});
}

TEST_F(PanelTest, TheSlidersRepeatTimerWritesNothingWhileAWriteIsWaitedFor) {
    panel.CameraHolds({{9, 20}});
    int nested = 0;
    panel.ui.onStatus = [&](const std::string&) {
        if (nested++ == 0) {
            panel.Slider(1026)->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        }
    };
    Key(1026, Qt::Key_Right);
    EXPECT_EQ(panel.writes, (std::vector<CameraWrite>{{kGainFine, 21}}));
    EXPECT_EQ(panel.Slider(1026)->value(), 21);
}

QPoint RightArrow(const QScrollBar& bar) {
    return {bar.width() - bar.height() / 2, bar.height() / 2};
}

// A modal message box may take the mouse release, so none is delivered here: the failed write
// alone must end the press.
TEST_F(PanelTest, AFailedWriteEndsThePressThatCausedItWithoutItsRelease) {
    ScrollBarControl& bar = *panel.Slider(1026);
    const int h = bar.height();
    panel.CameraHolds({{9, 25}});
    panel.GoSilent(true);
    // Both arrows, then the trough right and left of the thumb.
    for (QPoint point : {RightArrow(bar), QPoint(h / 2, h / 2), RightArrow(bar) - QPoint(h + 4, 0),
                         QPoint(h + 4, h / 2)}) {
        panel.ui.messages.clear();
        QTest::mousePress(&bar, Qt::LeftButton, {}, point);
        EXPECT_EQ(panel.ui.messages.size(), 1u) << point.x();
        EXPECT_FALSE(bar.isSliderDown()) << point.x();
    }
    // Longer than the repeat's first delay: nothing more is written or shown.
    panel.ui.messages.clear();
    QTest::qWait(700);
    EXPECT_TRUE(panel.ui.messages.empty());
    EXPECT_EQ(bar.value(), 25);
    EXPECT_EQ(panel.LabelText(1027), " 25 ");
}

TEST_F(PanelTest, ALongPressStopsAtTheFirstFailedWrite) {
    panel.CameraHolds({{9, 20}});
    panel.onWrite = [&] {
        if (panel.writes.size() == 2) {
            panel.GoSilent(true);  // the cable falls out while the arrow is held
        }
    };
    QTest::mousePress(panel.Slider(1026), Qt::LeftButton, {}, RightArrow(*panel.Slider(1026)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !panel.ui.messages.empty(); }, 5000));
    QTest::qWait(300);  // six repeat intervals
    EXPECT_EQ(panel.ui.messages.size(), 1u);
    EXPECT_EQ(panel.writes, (std::vector<CameraWrite>{{kGainFine, 21}, {kGainFine, 22}}));
    EXPECT_EQ(panel.LabelText(1027), " 22 ");
}

TEST_F(PanelTest, AfterAFailureOnlyANewPressWritesAgain) {
    ScrollBarControl& bar = *panel.Slider(1026);
    panel.CameraHolds({{9, 25}});
    panel.GoSilent(true);
    panel.ui.onStatus = [&](const std::string&) {
        if (panel.ui.messages.empty()) {  // clicks queued while the camera does not answer
            testing::QueueClick(bar, RightArrow(bar));
            testing::QueueClick(*panel.Button(1085));
        }
    };
    QTest::keyPress(&bar, Qt::Key_Right);
    for (int repeat = 0; repeat < 3; ++repeat) {  // the key is held down
        QKeyEvent held(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier, QString(), true);
        QApplication::sendEvent(&bar, &held);
    }
    QTest::qWait(50);
    EXPECT_EQ(panel.ui.messages.size(), 1u);
    QTest::keyRelease(&bar, Qt::Key_Right);
    panel.GoSilent(false);
    Key(1026, Qt::Key_Right);
    EXPECT_EQ(panel.writes, (std::vector<CameraWrite>{{kGainFine, 26}}));
}

TEST_F(PanelTest, ShutterSpeedsAndTriggerAreEnabledByFdAndMode) {
    struct Case {
        int32_t fd, mode;
        bool shutter, trigger;
    };
    const Case cases[] = {
        {0, 0, true, true},  {0, 1, false, true},  {1, 1, true, false}, {1, 0, false, false},
        {0, 2, false, true}, {1, 2, false, false}, {0, 3, false, true}, {1, 3, false, false},
    };
    for (const Case& c : cases) {
        panel.CameraHolds({{0, c.fd}, {2, c.mode}});
        EXPECT_EQ(panel.ShutterEnabled(), c.shutter) << c.fd << " " << c.mode;
        for (int id : {1094, 1095, 1096, 1097}) {
            EXPECT_EQ(panel.Button(id)->isEnabled(), c.trigger) << c.fd << " " << c.mode << id;
        }
        // FD, MODE and the other groups are never disabled.
        for (int id : {1003, 1004, 1066, 1067, 1068, 1030, 1031, 1083, 1084, 1085}) {
            EXPECT_TRUE(panel.Button(id)->isEnabled()) << id;
        }
    }
}

TEST_F(PanelTest, ModeAndFdClicksApplyTheRulesBeforeTheCameraAnswers) {
    panel.CameraHolds({{0, 0}, {2, 2}, {3, 1}});
    ASSERT_FALSE(panel.ShutterEnabled());
    std::vector<bool> atWrite;
    panel.ui.onStatus = [&](const std::string&) { atWrite.push_back(panel.ShutterEnabled()); };
    Click(1066);
    EXPECT_EQ(atWrite, std::vector<bool>{true});

    // FD "OFF": the trigger buttons are disabled but keep their marks.
    Click(1004);
    EXPECT_FALSE(panel.Button(1094)->isEnabled());
    EXPECT_FALSE(panel.Button(1095)->isEnabled());
    EXPECT_EQ(panel.Checked({1094, 1095}), std::vector<int>{1095});
    EXPECT_FALSE(panel.ShutterEnabled());
    Click(1067);
    EXPECT_TRUE(panel.ShutterEnabled());
}

TEST_F(PanelTest, AFailedModeClickShowsTheNewRulesThenTheMessageThenTheStoredState) {
    panel.CameraHolds({{0, 0}, {2, 0}});
    ASSERT_TRUE(panel.ShutterEnabled());
    panel.GoSilent(true);
    std::vector<int> modeAtMessage;
    bool enabledAtMessage = true;
    panel.ui.onMessage = [&](const std::string&, MessageIcon icon) {
        EXPECT_EQ(icon, MessageIcon::Error);
        modeAtMessage = panel.Checked({1066, 1067, 1068});
        enabledAtMessage = panel.ShutterEnabled();
    };
    Click(1067);
    ASSERT_EQ(panel.ui.messages.size(), 1u);
    EXPECT_EQ(modeAtMessage, std::vector<int>{1067});
    EXPECT_FALSE(enabledAtMessage);
    EXPECT_EQ(panel.Checked({1066, 1067, 1068}), std::vector<int>{1066});
    EXPECT_TRUE(panel.ShutterEnabled());
    EXPECT_EQ(panel.data.GetValue(2, false), 0);
}

TEST_F(PanelTest, AFailedClickInAnyGroupShowsTheStoredSelectionAgain) {
    panel.CameraHolds({{0, 0}, {2, 0}, {1, 3}, {11, 2}, {6, 0}, {3, 0}});
    panel.GoSilent(true);
    const struct {
        int click;
        std::initializer_list<int> group;
        int stored;
    } cases[] = {
        {1004, {1003, 1004}, 1003},       {1012, {1005, 1012, 1008}, 1008},
        {1083, {1083, 1084, 1085}, 1085}, {1031, {1030, 1031}, 1030},
        {1095, {1094, 1095}, 1094},
    };
    for (const auto& c : cases) {
        Click(c.click);
        EXPECT_EQ(panel.Checked(c.group), std::vector<int>{c.stored}) << c.click;
    }
    EXPECT_EQ(panel.ui.messages.size(), std::size(cases));
    EXPECT_TRUE(panel.writes.empty());
}

TEST_F(PanelTest, ValuesWithoutAButtonLeaveTheirGroupEmpty) {
    struct Case {
        std::initializer_list<std::pair<int, int32_t>> values;
        std::initializer_list<int> group;
        std::vector<int> checked;
    };
    const Case cases[] = {
        {{{11, 1}}, {1083, 1084, 1085}, {1084}},
        {{{11, 5}}, {1083, 1084, 1085}, {}},
        {{{11, 7}}, {1083, 1084, 1085}, {}},
        {{{1, 7}}, {1005, 1006, 1007, 1008, 1009, 1010, 1011, 1012}, {1012}},
        {{{1, 8}}, {1005, 1006, 1007, 1008, 1009, 1010, 1011, 1012}, {}},
        {{{2, 3}}, {1066, 1067, 1068}, {}},
        {{{6, 1}, {5, 0}}, {1030, 1031}, {1031}},
        {{{6, 1}, {5, 2}}, {1030, 1031}, {}},
        {{{6, 0}, {5, 2}}, {1030, 1031}, {1030}},
        {{{3, 1}}, {1094, 1095}, {1095}},
        {{{28, 0}}, {1096, 1097}, {1096}},
    };
    for (const Case& c : cases) {
        panel.CameraHolds(c.values);
        EXPECT_EQ(panel.Checked(c.group), c.checked) << *c.group.begin();
    }
    EXPECT_TRUE(panel.ui.messages.empty());
}

TEST_F(PanelTest, OpensWithTheDataSetsValuesAndSliderRangesOfTheItemTable) {
    for (int id : {1026, 1028}) {
        EXPECT_EQ(panel.Slider(id)->minimum(), 0);
        EXPECT_EQ(panel.Slider(id)->maximum(), 50);
        EXPECT_EQ(panel.Slider(id)->value(), 25);
        EXPECT_EQ(panel.Slider(id)->pageStep(), 10);
    }
    EXPECT_EQ(panel.LabelText(1027), " 25 ");
    EXPECT_EQ(panel.LabelText(1029), " 25 ");
    // Defaults: FD "OFF", "FIXED SHUTTER / NOR.", shutter 1/30, V-BINNING "OFF", 0dB.
    EXPECT_EQ(panel.Checked({1003, 1004, 1066, 1067, 1068, 1005, 1030, 1031, 1083}),
              (std::vector<int>{1004, 1066, 1005, 1031, 1083}));
    EXPECT_FALSE(panel.ShutterEnabled());
    EXPECT_TRUE(panel.writes.empty());
}

TEST_F(PanelTest, TheHdResetGroupIsNeverShownButFollowsTheDataSet) {
    const auto hidden = [&] {
        for (int id : {1096, 1097, 1098}) {
            QWidget* control = panel.Control<QWidget>(id);
            if (!control || control->isVisibleTo(&panel.view->Form())) {
                return false;
            }
        }
        return true;
    };
    EXPECT_TRUE(hidden());
    panel.CameraHolds({{28, 1}, {0, 0}});
    EXPECT_TRUE(hidden());
    EXPECT_EQ(panel.Checked({1096, 1097}), std::vector<int>{1097});
    EXPECT_TRUE(panel.Button(1096)->isEnabled());
    panel.document.OnNewDocument();
    EXPECT_TRUE(hidden());
}

TEST(PanelForms, EachProgramHasItsOwnForm) {
    struct Case {
        const Edition& edition;
        const char* binningCaption;
        bool hdReset;
        bool loopTest;
        QSize dialogUnits;
    };
    const Case cases[] = {
        {kMorva7EEdition, "4Xaccelerated mode", true, false, {305, 215}},
        {kTavinEdition, "V-BINNING", false, true, {371, 249}},
    };
    for (const Case& c : cases) {
        PanelFixture panel(c.edition);
        QWidget& form = panel.view->Form();
        const DialogUnits units = DialogUnitsOf(form.font());
        EXPECT_EQ(form.size(),
                  ToPixels(units, 0, 0, c.dialogUnits.width(), c.dialogUnits.height()).size());
        bool captionFound = false;
        for (const QGroupBox* box : form.findChildren<QGroupBox*>()) {
            captionFound = captionFound || box->title() == c.binningCaption;
        }
        EXPECT_TRUE(captionFound) << c.binningCaption;
        EXPECT_EQ(panel.Control<QWidget>(1098) != nullptr, c.hdReset);
        EXPECT_EQ(panel.Button(1096) != nullptr, c.hdReset);
        EXPECT_EQ(panel.Button(1087) != nullptr, c.loopTest);
        EXPECT_EQ(panel.Control<QLabel>(1032) != nullptr, c.loopTest);

        // A window smaller than the form scrolls.
        panel.view->resize(120, 90);
        QCoreApplication::processEvents();
        EXPECT_GT(panel.view->horizontalScrollBar()->maximum(), 0);
        EXPECT_GT(panel.view->verticalScrollBar()->maximum(), 0);
    }
}

TEST(PanelTimer, ATimerThatCannotStartIsReportedAndThePanelStillWorks) {
    int interval = 0;
    PanelServices services;
    services.startTimer = [&](QObject&, int ms) {
        interval = ms;
        return 0;
    };
    PanelFixture panel(kMorva7EEdition, services);
    EXPECT_EQ(interval, 100);
    EXPECT_EQ(panel.ui.messages, std::vector<std::string>{"Error: Timer creation failed!"});
    QTest::mouseClick(panel.Button(1085), Qt::LeftButton);
    EXPECT_EQ(panel.writes, (std::vector<CameraWrite>{{kGainRough, 2}}));

    PanelFixture started(kMorva7EEdition);
    EXPECT_TRUE(started.ui.messages.empty());
}

}  // namespace
}  // namespace tavin
