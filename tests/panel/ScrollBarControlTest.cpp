#include "ScrollBarControl.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <utility>
#include <vector>

namespace tavin {
namespace {

using Event = std::pair<ScrollCode, int>;

// A bar of 0..50 at 20 whose owner records every report and, when `follow` is set, moves the
// bar one step as the native control's owner would.
class ScrollBarControlTest : public ::testing::Test {
  protected:
    ScrollBarControlTest() {
        bar.setRange(0, 50);
        bar.setValue(20);
        bar.resize(200, 16);
        bar.show();
        QObject::connect(&bar, &ScrollBarControl::scrolled, [this](ScrollCode code, int pos) {
            events.emplace_back(code, pos);
            if (follow) {
                if (code == ScrollCode::LineRight) {
                    bar.setValue(bar.value() + 1);
                } else if (code == ScrollCode::ThumbTrack) {
                    bar.setValue(pos);
                }
            }
        });
    }

    std::vector<ScrollCode> Codes() const {
        std::vector<ScrollCode> codes;
        for (const Event& event : events) {
            codes.push_back(event.first);
        }
        return codes;
    }

    ScrollBarControl bar;
    std::vector<Event> events;
    bool follow = false;
};

TEST_F(ScrollBarControlTest, KeysReportTheNativeCodesAndMoveNothing) {
    struct Case {
        Qt::Key key;
        ScrollCode code;
    };
    const Case cases[] = {
        {Qt::Key_Right, ScrollCode::LineRight},    {Qt::Key_Down, ScrollCode::LineRight},
        {Qt::Key_Left, ScrollCode::LineLeft},      {Qt::Key_Up, ScrollCode::LineLeft},
        {Qt::Key_PageDown, ScrollCode::PageRight}, {Qt::Key_PageUp, ScrollCode::PageLeft},
        {Qt::Key_Home, ScrollCode::Left},          {Qt::Key_End, ScrollCode::Right},
    };
    for (const Case& c : cases) {
        events.clear();
        QTest::keyClick(&bar, c.key);
        ASSERT_EQ(events.size(), 2u) << c.key;
        EXPECT_EQ(events[0], Event(c.code, 20)) << c.key;
        EXPECT_EQ(events[1].first, ScrollCode::EndScroll) << c.key;
        EXPECT_EQ(bar.value(), 20) << c.key;
        EXPECT_EQ(bar.sliderPosition(), 20) << c.key;
    }
}

TEST_F(ScrollBarControlTest, TheOwnerDecidesThePosition) {
    follow = true;
    QTest::keyClick(&bar, Qt::Key_Right);
    EXPECT_EQ(bar.value(), 21);
    follow = false;
    QTest::keyClick(&bar, Qt::Key_Right);
    EXPECT_EQ(bar.value(), 21);
}

TEST_F(ScrollBarControlTest, ClicksOnArrowsAndTroughReportLinesAndPages) {
    const int h = bar.height();
    QTest::mouseClick(&bar, Qt::LeftButton, {}, QPoint(bar.width() - h / 2, h / 2));
    QTest::mouseClick(&bar, Qt::LeftButton, {}, QPoint(h / 2, h / 2));
    QTest::mouseClick(&bar, Qt::LeftButton, {}, QPoint(bar.width() - h - 4, h / 2));
    QTest::mouseClick(&bar, Qt::LeftButton, {}, QPoint(h + 4, h / 2));
    EXPECT_EQ(Codes(), (std::vector<ScrollCode>{ScrollCode::LineRight, ScrollCode::EndScroll,
                                                ScrollCode::LineLeft, ScrollCode::EndScroll,
                                                ScrollCode::PageRight, ScrollCode::EndScroll,
                                                ScrollCode::PageLeft, ScrollCode::EndScroll}));
    EXPECT_EQ(bar.value(), 20);
}

// A drag reports where the thumb is once the input that came with the move has been handled:
// moves that arrive together are one report of the last, and the end of the drag reports where
// the thumb came to rest.
TEST_F(ScrollBarControlTest, ADragReportsTheLatestPlaceOnceTheQueuedInputIsHandled) {
    follow = true;
    bar.setValue(0);
    const int h = bar.height();
    const QPoint thumb(h + 3, h / 2);
    QTest::mousePress(&bar, Qt::LeftButton, {}, thumb);
    QTest::mouseMove(&bar, thumb + QPoint(30, 0));
    EXPECT_TRUE(events.empty()) << "reported before the queued input was handled";
    QCoreApplication::processEvents();
    QTest::mouseMove(&bar, thumb + QPoint(45, 0));
    QTest::mouseMove(&bar, thumb + QPoint(60, 0));
    QCoreApplication::processEvents();
    QTest::mouseMove(&bar, thumb + QPoint(70, 0));
    QTest::mouseRelease(&bar, Qt::LeftButton, {}, thumb + QPoint(70, 0));
    QCoreApplication::processEvents();
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[0].first, ScrollCode::ThumbTrack);
    EXPECT_EQ(events[1].first, ScrollCode::ThumbTrack);
    EXPECT_LT(0, events[0].second);
    EXPECT_LT(events[0].second, events[1].second);
    EXPECT_EQ(events[2].first, ScrollCode::ThumbPosition);
    EXPECT_LT(events[1].second, events[2].second);
    EXPECT_EQ(events[3].first, ScrollCode::EndScroll);
    EXPECT_EQ(bar.value(), events[1].second) << "the owner here follows the tracking only";
}

TEST_F(ScrollBarControlTest, AnOwnerThatRefusesADragKeepsTheBarInPlace) {
    const int h = bar.height();
    bar.setValue(0);
    const QPoint thumb(h + 3, h / 2);
    QTest::mousePress(&bar, Qt::LeftButton, {}, thumb);
    QTest::mouseMove(&bar, thumb + QPoint(40, 0));
    QCoreApplication::processEvents();
    QTest::mouseRelease(&bar, Qt::LeftButton, {}, thumb + QPoint(40, 0));
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events[0].first, ScrollCode::ThumbTrack);
    EXPECT_EQ(bar.value(), 0);
    EXPECT_EQ(bar.sliderPosition(), 0);
}

// Neither the context menu ("Scroll here", the edges) nor the middle button moves the thumb.
TEST_F(ScrollBarControlTest, NoContextMenuAndNoMiddleButtonJump) {
    const QPoint nearRightEnd(bar.width() - bar.height() - 2, bar.height() / 2);
    QTimer::singleShot(0, &bar, [] {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            menu->setActiveAction(menu->actions().value(0));  // "Scroll here"
            QTest::keyClick(menu, Qt::Key_Return);
        }
    });
    QContextMenuEvent request(QContextMenuEvent::Mouse, nearRightEnd,
                              bar.mapToGlobal(nearRightEnd));
    QApplication::sendEvent(&bar, &request);
    QTest::mouseClick(&bar, Qt::MiddleButton, {}, nearRightEnd);
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(bar.value(), 20);
    EXPECT_EQ(bar.sliderPosition(), 20);
}

}  // namespace
}  // namespace tavin
