// While a camera exchange blocks the user-interface thread, the window repaints but no click is
// acted on until the exchange has ended.

#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>
#include <QWindow>

#include "AppUserInterface.h"

// Queues input the way the platform does when a person clicks: into the window-system queue,
// to be delivered by the event loop later. The toolkit's test functions deliver at once, which
// would not show whether the wait lets input through. The class is the toolkit's platform
// interface; only this one function of it is declared here.
class Q_GUI_EXPORT QWindowSystemInterface {
  public:
    struct AsynchronousDelivery {};
    template <typename Delivery>
    static bool handleMouseEvent(QWindow* window, const QPointF& local, const QPointF& global,
                                 Qt::MouseButtons state, Qt::MouseButton button, QEvent::Type type,
                                 Qt::KeyboardModifiers mods, Qt::MouseEventSource source);
};

namespace tavin {
namespace {

void QueueClick(QWidget& target) {
    QWindow* window = target.window()->windowHandle();
    const QPointF local = target.mapTo(target.window(), target.rect().center());
    const QPointF global = target.mapToGlobal(target.rect().center());
    for (auto [type, state] :
         {std::pair{QEvent::MouseButtonPress, Qt::MouseButtons(Qt::LeftButton)},
          std::pair{QEvent::MouseButtonRelease, Qt::MouseButtons()}}) {
        QWindowSystemInterface::handleMouseEvent<QWindowSystemInterface::AsynchronousDelivery>(
            window, local, global, state, Qt::LeftButton, type, Qt::NoModifier,
            Qt::MouseEventNotSynthesized);
    }
}

class Painted : public QWidget {
  public:
    int paints = 0;

  protected:
    void paintEvent(QPaintEvent*) override { ++paints; }
};

TEST(Responsiveness, WaitsRepaintButDeferClicksUntilTheOperationEnds) {
    AppUserInterface ui;
    ScopedUserInterface installed(ui);
    QWidget window;
    auto* button = new QPushButton(QStringLiteral("Read"), &window);
    auto* area = new Painted;
    area->setParent(&window);
    area->setGeometry(0, 40, 100, 50);
    int clicks = 0;
    QObject::connect(button, &QPushButton::clicked, [&clicks] { ++clicks; });
    window.resize(200, 100);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QTest::qWait(0);

    // A blocking "read": the link calls the seam between its waits.
    QueueClick(*button);
    const int paintsBefore = area->paints;
    area->update();  // as if the window had been covered and uncovered
    for (int wait = 0; wait < 20; ++wait) {
        TheUserInterface().KeepResponsive();
        ASSERT_EQ(clicks, 0) << "a click was acted on during the read";
    }
    EXPECT_GT(area->paints, paintsBefore) << "the window did not repaint during the read";

    // Once the read has ended, the click is handled.
    EXPECT_TRUE(QTest::qWaitFor([&clicks] { return clicks == 1; }));
}

}  // namespace
}  // namespace tavin
