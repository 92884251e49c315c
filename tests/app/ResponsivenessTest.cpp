// While a camera exchange blocks the user-interface thread, the window repaints but no click is
// acted on until the exchange has ended.

#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>
#include <QWindow>

#include "AppUserInterface.h"
#include "QueuedInput.h"

namespace tavin {
namespace {

using testing::QueueClick;

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
