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
using testing::ShutterButtons;
using namespace panel;

constexpr uint8_t kFd = 0x06, kShutter = 0x08, kMode = 0x04, kTrigger = 0x05, kVBinning = 0x1B,
                  kGainFine = 0x18, kBlackLevel = 0x17, kGainRough = 0x0C, kHdReset = 0x0B;

const int kGainButtons[] = {kGain0dB, kGain6dB, kGain12dB};

class PanelTest : public ::testing::Test {
  protected:
    PanelFixture panel{kMorva7EEdition};

    void Click(int id) { QTest::mouseClick(panel.Button(id), Qt::LeftButton); }
    void Key(int sliderId, Qt::Key key) { QTest::keyClick(panel.Slider(sliderId), key); }
};

TEST_F(PanelTest, SixDecibelsIsOneFrameOnTheWireAndMarksTheDocumentOnlyWhenItChanges) {
    panel.CameraHolds({{11, 0}});
    panel.document.SetModifiedFlag(false);
    Click(kGain6dB);
    ASSERT_FALSE(panel.camera->Frames().empty());
    EXPECT_EQ(panel.camera->Frames().back(), "01FF010C010000");
    EXPECT_EQ(panel.writes, (std::vector<CameraWrite>{{kGainRough, 1}}));
    EXPECT_TRUE(panel.document.IsModified());
    EXPECT_EQ(panel.Checked({kGain0dB, kGain6dB, kGain12dB}), std::vector<int>{kGain6dB});

    // The selected button again: written again, but nothing changed.
    panel.document.SetModifiedFlag(false);
    Click(kGain6dB);
    EXPECT_EQ(panel.writes, (std::vector<CameraWrite>{{kGainRough, 1}, {kGainRough, 1}}));
    EXPECT_FALSE(panel.document.IsModified());
    EXPECT_EQ(panel.Checked({kGain0dB, kGain6dB, kGain12dB}), std::vector<int>{kGain6dB});
}

TEST_F(PanelTest, EveryButtonWritesItsOwnItemAndValue) {
    struct Case {
        int id;
        CameraWrite write;
    };
    // FD "ON" first, so that the shutter speeds (with "FIXED SHUTTER / NOR.") and the trigger
    // buttons can be clicked.
    const Case cases[] = {
        {kFdOn, {kFd, 0}},
        {kModeFixedShutter, {kMode, 0}},
        {kShutterFirst, {kShutter, 0}},
        {kShutterFirst + 1, {kShutter, 1}},
        {kShutterFirst + 2, {kShutter, 2}},
        {kShutterFirst + 3, {kShutter, 3}},
        {kShutterFirst + 4, {kShutter, 4}},
        {kShutterFirst + 5, {kShutter, 5}},
        {kShutterFirst + 6, {kShutter, 6}},
        {kShutterLast, {kShutter, 7}},
        {kTriggerNormal, {kTrigger, 0}},
        {kTriggerInvert, {kTrigger, 1}},
        {kVBinningOn, {kVBinning, 0}},
        {kVBinningOff, {kVBinning, 1}},
        {kGain0dB, {kGainRough, 0}},
        {kGain6dB, {kGainRough, 1}},
        {kGain12dB, {kGainRough, 2}},
        {kModeTwoTrigger, {kMode, 1}},
        {kModeOneTrigger, {kMode, 2}},
        {kFdOff, {kFd, 1}},
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
        {kGainFineSlider, 25, Qt::Key_Right, 26},    {kGainFineSlider, 25, Qt::Key_Left, 24},
        {kGainFineSlider, 50, Qt::Key_Right, 50},    {kGainFineSlider, 0, Qt::Key_Left, 0},
        {kGainFineSlider, 25, Qt::Key_PageDown, 35}, {kGainFineSlider, 45, Qt::Key_PageDown, 50},
        {kBlackLevelSlider, 5, Qt::Key_PageUp, 0},   {kBlackLevelSlider, 30, Qt::Key_PageUp, 20},
        {kBlackLevelSlider, 30, Qt::Key_Down, 31},   {kBlackLevelSlider, 30, Qt::Key_Up, 29},
        {kBlackLevelSlider, 30, Qt::Key_Home, {}},   {kBlackLevelSlider, 30, Qt::Key_End, {}},
    };
    for (const Case& c : cases) {
        const int item = c.slider == kGainFineSlider ? 9 : 10;
        const int label = c.slider + 1;
        panel.CameraHolds({{item, c.start}});
        Key(c.slider, c.key);
        const int32_t shown = c.written.value_or(c.start);
        if (c.written) {
            const uint8_t number = c.slider == kGainFineSlider ? kGainFine : kBlackLevel;
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
    ScrollBarControl& bar = *panel.Slider(kBlackLevelSlider);
    std::vector<QString> labels;
    panel.onWrite = [&] { labels.push_back(panel.LabelText(kBlackLevelValue)); };
    const int h = bar.height();
    const QPoint thumb(h + 2, h / 2);
    QTest::mousePress(&bar, Qt::LeftButton, {}, thumb);
    for (int dx : {10, 25, 40}) {
        QTest::mouseMove(&bar, thumb + QPoint(dx, 0));
        QCoreApplication::processEvents();  // the move is written once the input is handled
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
    EXPECT_EQ(panel.LabelText(kBlackLevelValue), QString(" %1 ").arg(panel.writes[2].value));
    EXPECT_EQ(bar.value(), panel.writes[2].value);
}

TEST_F(PanelTest, AFailedSliderWriteLeavesSliderAndLabelAtTheStoredValueAndRefreshesNothing) {
    panel.CameraHolds({{9, 25}, {0, 0}});
    panel.GoSilent(true);
    // Changed behind the panel's back: a refresh would show it.
    panel.data.SetValue(0, 1, false);
    Key(kGainFineSlider, Qt::Key_Right);
    ASSERT_EQ(panel.ui.messages.size(), 1u);
    EXPECT_EQ(panel.ui.messages[0].rfind("ERROR - ", 0), 0u);
    EXPECT_EQ(panel.Slider(kGainFineSlider)->value(), 25);
    EXPECT_EQ(panel.LabelText(kGainFineValue), " 25 ");
    EXPECT_EQ(panel.data.GetValue(9, false), 25);
    EXPECT_EQ(panel.Checked({kFdOn, kFdOff}), std::vector<int>{kFdOn});
}

TEST_F(PanelTest, TheSlidersRepeatTimerWritesNothingWhileAWriteIsWaitedFor) {
    panel.CameraHolds({{9, 20}});
    int nested = 0;
    panel.ui.onStatus = [&](const std::string&) {
        if (nested++ == 0) {
            panel.Slider(kGainFineSlider)->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        }
    };
    Key(kGainFineSlider, Qt::Key_Right);
    EXPECT_EQ(panel.writes, (std::vector<CameraWrite>{{kGainFine, 21}}));
    EXPECT_EQ(panel.Slider(kGainFineSlider)->value(), 21);
}

QPoint RightArrow(const QScrollBar& bar) {
    return {bar.width() - bar.height() / 2, bar.height() / 2};
}

// A modal message box may take the mouse release, so none is delivered here: the failed write
// alone must end the press.
TEST_F(PanelTest, AFailedWriteEndsThePressThatCausedItWithoutItsRelease) {
    ScrollBarControl& bar = *panel.Slider(kGainFineSlider);
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
    EXPECT_EQ(panel.LabelText(kGainFineValue), " 25 ");
}

TEST_F(PanelTest, ALongPressStopsAtTheFirstFailedWrite) {
    panel.CameraHolds({{9, 20}});
    panel.onWrite = [&] {
        if (panel.writes.size() == 2) {
            panel.GoSilent(true);  // the cable falls out while the arrow is held
        }
    };
    QTest::mousePress(panel.Slider(kGainFineSlider), Qt::LeftButton, {},
                      RightArrow(*panel.Slider(kGainFineSlider)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !panel.ui.messages.empty(); }, 5000));
    QTest::qWait(300);  // six repeat intervals
    EXPECT_EQ(panel.ui.messages.size(), 1u);
    EXPECT_EQ(panel.writes, (std::vector<CameraWrite>{{kGainFine, 21}, {kGainFine, 22}}));
    EXPECT_EQ(panel.LabelText(kGainFineValue), " 22 ");
}

TEST_F(PanelTest, AfterAFailureOnlyANewPressWritesAgain) {
    ScrollBarControl& bar = *panel.Slider(kGainFineSlider);
    panel.CameraHolds({{9, 25}});
    panel.GoSilent(true);
    panel.ui.onStatus = [&](const std::string&) {
        if (panel.ui.messages.empty()) {  // clicks queued while the camera does not answer
            testing::QueueClick(bar, RightArrow(bar));
            testing::QueueClick(*panel.Button(kGain12dB));
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
    Key(kGainFineSlider, Qt::Key_Right);
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
        for (int id : {kTriggerNormal, kTriggerInvert, kHdResetOn, kHdResetOff}) {
            EXPECT_EQ(panel.Button(id)->isEnabled(), c.trigger) << c.fd << " " << c.mode << id;
        }
        // FD, MODE and the other groups are never disabled.
        for (int id : {kFdOn, kFdOff, kModeFixedShutter, kModeTwoTrigger, kModeOneTrigger,
                       kVBinningOn, kVBinningOff, kGain0dB, kGain6dB, kGain12dB}) {
            EXPECT_TRUE(panel.Button(id)->isEnabled()) << id;
        }
    }
}

TEST_F(PanelTest, ModeAndFdClicksApplyTheRulesBeforeTheCameraAnswers) {
    panel.CameraHolds({{0, 0}, {2, 2}, {3, 1}});
    ASSERT_FALSE(panel.ShutterEnabled());
    std::vector<bool> atWrite;
    panel.ui.onStatus = [&](const std::string&) { atWrite.push_back(panel.ShutterEnabled()); };
    Click(kModeFixedShutter);
    EXPECT_EQ(atWrite, std::vector<bool>{true});

    // FD "OFF": the trigger buttons are disabled but keep their marks.
    Click(kFdOff);
    EXPECT_FALSE(panel.Button(kTriggerNormal)->isEnabled());
    EXPECT_FALSE(panel.Button(kTriggerInvert)->isEnabled());
    EXPECT_EQ(panel.Checked({kTriggerNormal, kTriggerInvert}), std::vector<int>{kTriggerInvert});
    EXPECT_FALSE(panel.ShutterEnabled());
    Click(kModeTwoTrigger);
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
        modeAtMessage = panel.Checked({kModeFixedShutter, kModeTwoTrigger, kModeOneTrigger});
        enabledAtMessage = panel.ShutterEnabled();
    };
    Click(kModeTwoTrigger);
    ASSERT_EQ(panel.ui.messages.size(), 1u);
    EXPECT_EQ(modeAtMessage, std::vector<int>{kModeTwoTrigger});
    EXPECT_FALSE(enabledAtMessage);
    EXPECT_EQ(panel.Checked({kModeFixedShutter, kModeTwoTrigger, kModeOneTrigger}),
              std::vector<int>{kModeFixedShutter});
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
        {kFdOff, {kFdOn, kFdOff}, kFdOn},
        {kShutterLast, {kShutterFirst, kShutterLast, kShutterFirst + 3}, kShutterFirst + 3},
        {kGain0dB, {kGain0dB, kGain6dB, kGain12dB}, kGain12dB},
        {kVBinningOff, {kVBinningOn, kVBinningOff}, kVBinningOn},
        {kTriggerInvert, {kTriggerNormal, kTriggerInvert}, kTriggerNormal},
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
        std::vector<int> group;
        std::vector<int> checked;
    };
    const Case cases[] = {
        {{{11, 1}}, {kGain0dB, kGain6dB, kGain12dB}, {kGain6dB}},
        {{{11, 5}}, {kGain0dB, kGain6dB, kGain12dB}, {}},
        {{{11, 7}}, {kGain0dB, kGain6dB, kGain12dB}, {}},
        {{{1, 7}}, ShutterButtons(), {kShutterLast}},
        {{{1, 8}}, ShutterButtons(), {}},
        {{{2, 3}}, {kModeFixedShutter, kModeTwoTrigger, kModeOneTrigger}, {}},
        {{{6, 1}, {5, 0}}, {kVBinningOn, kVBinningOff}, {kVBinningOff}},
        {{{6, 1}, {5, 2}}, {kVBinningOn, kVBinningOff}, {}},
        {{{6, 0}, {5, 2}}, {kVBinningOn, kVBinningOff}, {kVBinningOn}},
        {{{3, 1}}, {kTriggerNormal, kTriggerInvert}, {kTriggerInvert}},
        {{{28, 0}}, {kHdResetOn, kHdResetOff}, {kHdResetOn}},
    };
    for (const Case& c : cases) {
        panel.CameraHolds(c.values);
        EXPECT_EQ(panel.Checked(c.group), c.checked) << c.group.front();
    }
    EXPECT_TRUE(panel.ui.messages.empty());
}

TEST_F(PanelTest, OpensWithTheDataSetsValuesAndSliderRangesOfTheItemTable) {
    for (int id : {kGainFineSlider, kBlackLevelSlider}) {
        EXPECT_EQ(panel.Slider(id)->minimum(), 0);
        EXPECT_EQ(panel.Slider(id)->maximum(), 50);
        EXPECT_EQ(panel.Slider(id)->value(), 25);
        EXPECT_EQ(panel.Slider(id)->pageStep(), 10);
    }
    EXPECT_EQ(panel.LabelText(kGainFineValue), " 25 ");
    EXPECT_EQ(panel.LabelText(kBlackLevelValue), " 25 ");
    // Defaults: FD "OFF", "FIXED SHUTTER / NOR.", shutter 1/30, V-BINNING "OFF", 0dB.
    EXPECT_EQ(panel.Checked({kFdOn, kFdOff, kModeFixedShutter, kModeTwoTrigger, kModeOneTrigger,
                             kShutterFirst, kVBinningOn, kVBinningOff, kGain0dB}),
              (std::vector<int>{kFdOff, kModeFixedShutter, kShutterFirst, kVBinningOff, kGain0dB}));
    EXPECT_FALSE(panel.ShutterEnabled());
    EXPECT_TRUE(panel.writes.empty());
}

TEST_F(PanelTest, TheHdResetGroupIsNeverShownButFollowsTheDataSet) {
    const auto hidden = [&] {
        for (int id : {kHdResetOn, kHdResetOff, kHdResetGroup}) {
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
    EXPECT_EQ(panel.Checked({kHdResetOn, kHdResetOff}), std::vector<int>{kHdResetOff});
    EXPECT_TRUE(panel.Button(kHdResetOn)->isEnabled());
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
        EXPECT_EQ(panel.Control<QWidget>(kHdResetGroup) != nullptr, c.hdReset);
        EXPECT_EQ(panel.Button(kHdResetOn) != nullptr, c.hdReset);
        EXPECT_EQ(panel.Button(kCountStart) != nullptr, c.loopTest);
        EXPECT_EQ(panel.Control<QLabel>(kLoopPass) != nullptr, c.loopTest);

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
    QTest::mouseClick(panel.Button(kGain12dB), Qt::LeftButton);
    EXPECT_EQ(panel.writes, (std::vector<CameraWrite>{{kGainRough, 2}}));

    PanelFixture started(kMorva7EEdition);
    EXPECT_TRUE(started.ui.messages.empty());
}

}  // namespace
}  // namespace tavin
