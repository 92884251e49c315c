// The shutter loop test of the Camera-Link-only program, in virtual time: 88 one-second steps
// take no real time.

#include <gtest/gtest.h>

#include <QTest>
#include <QWindow>

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

TEST_F(LoopTest, WithASilentCameraEveryStepFailsAndTheRunStillEnds) {
    panel.CameraHolds({{1, 3}});
    panel.GoSilent(true);
    std::vector<std::vector<int>> selectedAtMessage;
    panel.ui.onMessage = [&](const std::string&, MessageIcon) {
        selectedAtMessage.push_back(panel.Checked(ShutterButtons()));
    };
    StartRun();
    EXPECT_EQ(panel.ui.messages.size(), 88u);
    ASSERT_GE(selectedAtMessage.size(), 2u);
    // The step's own button is selected when its write fails; the refresh then shows 1/1000.
    EXPECT_EQ(selectedAtMessage[0], std::vector<int>{kShutterFirst});
    EXPECT_EQ(selectedAtMessage[1], std::vector<int>{kShutterFirst + 1});
    EXPECT_EQ(panel.Checked(ShutterButtons()), std::vector<int>{kShutterFirst + 3});
    EXPECT_EQ(panel.LabelText(kLoopPass), " 10 ");
    EXPECT_EQ(panel.data.GetValue(1, false), 3);
}

TEST_F(LoopTest, RepaintsWhileRunningButTakesClicksOnlyAfterTheRun) {
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

    panel.writes.clear();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !panel.writes.empty(); }));
    EXPECT_EQ(panel.writes, (std::vector<CameraWrite>{{0x06, 1}}));
}

}  // namespace
}  // namespace tavin
