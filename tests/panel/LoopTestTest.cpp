// The shutter loop test of the Camera-Link-only program, in virtual time: 88 one-second steps
// take no real time.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QTest>
#include <QWindow>
#include <algorithm>

#include "PanelTestSupport.h"
#include "QueuedInput.h"

namespace tavin {
namespace {

using testing::CameraWrite;
using testing::PanelFixture;
using testing::QueueClick;
using testing::ShutterButtons;
using namespace panel;

constexpr uint8_t kShutter = 0x08;

class LoopTest : public ::testing::Test {
  protected:
    LoopTest() {
        panel.onWrite = [this] { writeTimes.push_back(panel.clock.NowMs()); };
    }

    void StartRun() { QTest::mouseClick(panel.Button(kCountStart), Qt::LeftButton); }

    PanelFixture panel{kTavinEdition};
    std::vector<uint64_t> writeTimes;
};

std::vector<CameraWrite> ElevenPasses() {
    std::vector<CameraWrite> writes;
    for (int pass = 0; pass < 11; ++pass) {
        for (int32_t speed = 0; speed < 8; ++speed) {
            writes.push_back({kShutter, speed});
        }
    }
    return writes;
}

TEST_F(LoopTest, StepsThroughEveryShutterSpeedElevenTimesOnceASecond) {
    // FD "OFF" with "FIXED SHUTTER / NOR.": the speeds show disabled, and stay so.
    panel.CameraHolds({{0, 1}, {2, 0}, {1, 3}});
    ASSERT_FALSE(panel.ShutterEnabled());
    EXPECT_EQ(panel.LabelText(kLoopPass), "");

    StartRun();

    EXPECT_EQ(panel.writes, ElevenPasses());
    ASSERT_EQ(writeTimes.size(), 88u);
    for (size_t step = 1; step < writeTimes.size(); ++step) {
        const uint64_t waited = writeTimes[step] - writeTimes[step - 1];
        EXPECT_GT(waited, 1000u) << "step " << step;
        EXPECT_LT(waited, 1400u) << "step " << step;
    }
    EXPECT_EQ(panel.LabelText(kLoopPass), " 10 ");
    EXPECT_EQ(panel.Checked(ShutterButtons()), std::vector<int>{kShutterLast});
    EXPECT_EQ(panel.data.GetValue(1, false), 7);
    EXPECT_FALSE(panel.ShutterEnabled());
    EXPECT_TRUE(panel.ui.messages.empty());
    EXPECT_TRUE(panel.Button(kCountStart)->isChecked());

    // Every click starts a full run.
    panel.writes.clear();
    StartRun();
    EXPECT_EQ(panel.writes.size(), 88u);
}

TEST_F(LoopTest, TheFirstStepThatChangesTheShutterMarksTheDocument) {
    panel.CameraHolds({{1, 0}});
    panel.document.SetModifiedFlag(false);
    std::vector<bool> modified;
    panel.duringPause = [&] {
        if (modified.size() < 2 || modified.back() != panel.document.IsModified()) {
            modified.push_back(panel.document.IsModified());
        }
    };
    StartRun();
    EXPECT_EQ(modified, (std::vector<bool>{false, false, true}));
}

// A camera that did not take a step would only time out on every one after it: the run stops at
// the first failure, with its one message, and the panel shows the stored setting.
TEST_F(LoopTest, TheRunStopsAtItsFirstFailedStep) {
    panel.CameraHolds({{1, 3}});
    panel.camera->GoSilentAfter(3);  // steps 1/30, 1/125 and 1/250 go through
    std::vector<bool> ended;
    QObject::connect(panel.view.get(), &CTAVINView::loopTestEnded,
                     [&](bool completed) { ended.push_back(completed); });
    std::vector<std::vector<int>> selectedAtMessage;
    panel.ui.onMessage = [&](const std::string&, MessageIcon) {
        selectedAtMessage.push_back(panel.Checked(ShutterButtons()));
    };
    StartRun();
    EXPECT_EQ(panel.ui.messages.size(), 1u);
    EXPECT_EQ(panel.writes,
              (std::vector<CameraWrite>{{kShutter, 0}, {kShutter, 1}, {kShutter, 2}}));
    // The step's own button is selected when its write fails; the refresh then shows 1/250.
    EXPECT_EQ(selectedAtMessage, (std::vector<std::vector<int>>{{kShutterFirst + 3}}));
    EXPECT_EQ(panel.Checked(ShutterButtons()), std::vector<int>{kShutterFirst + 2});
    EXPECT_EQ(panel.LabelText(kLoopPass), " 0 ");
    EXPECT_EQ(panel.data.GetValue(1, false), 2);
    EXPECT_EQ(ended, std::vector<bool>{false});
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// The run holds every click and key for a minute and a half; none of them is acted on after it.
TEST_F(LoopTest, RepaintsWhileRunningAndDropsWhatWasClickedMeanwhile) {
    panel.CameraHolds({{0, 0}, {2, 0}});
    ASSERT_TRUE(QTest::qWaitForWindowExposed(panel.view.get()));
    QLabel& pass = *panel.Control<QLabel>(kLoopPass);
    int paints = 0;
    struct PaintCounter : QObject {
        int& count;
        explicit PaintCounter(int& c) : count(c) {}
        bool eventFilter(QObject*, QEvent* event) override {
            count += event->type() == QEvent::Paint;
            return false;
        }
    } counter(paints);
    pass.installEventFilter(&counter);
    std::vector<bool> ended;
    QObject::connect(panel.view.get(), &CTAVINView::loopTestEnded,
                     [&](bool completed) { ended.push_back(completed); });

    bool queued = false;
    panel.duringPause = [&] {
        if (!queued) {
            QueueClick(*panel.Button(kFdOff));  // FD "OFF"
            queued = true;
        }
    };
    StartRun();
    EXPECT_EQ(panel.writes, ElevenPasses()) << "a click was acted on during the run";
    EXPECT_GT(paints, 0) << "the pass counter was never repainted";
    EXPECT_EQ(ended, std::vector<bool>{true});

    panel.writes.clear();
    QCoreApplication::processEvents();
    EXPECT_TRUE(panel.writes.empty()) << "a click made during the run was acted on after it";
    EXPECT_TRUE(panel.Button(kFdOn)->isChecked());
}

// Each step says in the status bar where the run is, under the wait cursor.
TEST_F(LoopTest, TheStatusBarCountsTheStepsUnderTheWaitCursor) {
    panel.CameraHolds({{1, 0}});
    std::vector<std::string> steps;
    panel.ui.onStatus = [&](const std::string& text) {
        if (text.rfind("Loop test", 0) == 0) {
            steps.push_back(text);
        }
    };
    std::vector<int> cursors;
    panel.duringPause = [&] {
        const QCursor* cursor = QApplication::overrideCursor();
        cursors.push_back(cursor ? cursor->shape() : -1);
    };
    StartRun();
    ASSERT_EQ(steps.size(), 88u);
    EXPECT_EQ(steps[0], "Loop test: step 1 of 88, shutter 1/30...");
    EXPECT_EQ(steps[9], "Loop test: step 10 of 88, shutter 1/125...");
    EXPECT_EQ(steps[87], "Loop test: step 88 of 88, shutter 1/50000...");
    EXPECT_EQ(std::count(cursors.begin(), cursors.end(), int(Qt::WaitCursor)),
              std::ptrdiff_t(cursors.size()));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

}  // namespace
}  // namespace tavin
