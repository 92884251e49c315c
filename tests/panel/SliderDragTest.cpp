// A slider dragged on a slow camera: the thumb passes many places while one write waits, and
// only where it came to rest is written next.

#include <gtest/gtest.h>

#include <QTest>

#include "PanelTestSupport.h"
#include "QueuedInput.h"

namespace tavin {
namespace {

using testing::PanelFixture;
using testing::QueueMouse;
using namespace panel;

TEST(SliderDrag, OnASlowCameraOnlyTheLatestPlaceIsWrittenNext) {
    PanelFixture panel{kMorva7EEdition};
    panel.CameraHolds({{10, 0}});
    ASSERT_TRUE(QTest::qWaitForWindowExposed(panel.view.get()));
    ScrollBarControl& bar = *panel.Slider(kBlackLevelSlider);
    const int h = bar.height();
    const QPoint thumb(h + 2, h / 2);
    // While the first place's write waits for the camera, the thumb passes five more places and
    // is let go: all of it reaches the program only when the write is over.
    bool queued = false;
    panel.onWrite = [&] {
        if (!queued) {
            queued = true;
            for (int dx : {15, 20, 25, 30, 35}) {
                QueueMouse(bar, thumb + QPoint(dx, 0), QEvent::MouseMove);
            }
            QueueMouse(bar, thumb + QPoint(35, 0), QEvent::MouseButtonRelease);
        }
    };
    QueueMouse(bar, thumb, QEvent::MouseButtonPress);
    QueueMouse(bar, thumb + QPoint(10, 0), QEvent::MouseMove);
    ASSERT_TRUE(QTest::qWaitFor([&] { return queued && !bar.isSliderDown(); }));
    QCoreApplication::processEvents();  // a movement still due would be written now

    ASSERT_EQ(panel.writes.size(), 2u);
    EXPECT_LT(0, panel.writes[0].value);
    EXPECT_LT(panel.writes[0].value, panel.writes[1].value);
    EXPECT_EQ(bar.value(), panel.writes[1].value);
    EXPECT_EQ(panel.LabelText(kBlackLevelValue), QString(" %1 ").arg(panel.writes[1].value));
    EXPECT_EQ(panel.data.GetValue(10, false), panel.writes[1].value);
}

}  // namespace
}  // namespace tavin
