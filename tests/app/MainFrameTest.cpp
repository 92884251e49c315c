#include <gtest/gtest.h>

#include <QAction>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTest>

#include "CMainFrame.h"
#include "CommandTable.h"
#include "DeveloperMode.h"
#include "FakeCamera.h"
#include "MenuBuilder.h"

namespace tavin {
namespace {

using testing::FakeCamera;

QStringList MenuTexts(const QMenu& menu) {
    QStringList texts;
    for (const QAction* action : menu.actions()) {
        texts.append(action->isSeparator() ? QStringLiteral("-") : action->text());
    }
    return texts;
}

QMenu& TopMenu(const CMainFrame& frame, int index) {
    return *frame.menuBar()->actions().at(index)->menu();
}

class MainFrameTest : public ::testing::Test {
  protected:
    std::unique_ptr<CMainFrame> MakeFrame(const Edition& edition, bool developer) {
        SetCurrentEdition(edition);
        for (unsigned id : {32771u, 32772u, 32773u, 32774u, 32775u, 32776u, 32777u, 32779u, 32780u,
                            57600u, 57601u, 57603u, 57616u, 57617u}) {
            commands.Register(id, [this, id] { dispatched.push_back(id); });
        }
        return std::make_unique<CMainFrame>(edition, developer, commands, camera);
    }
    void TearDown() override { SetCurrentEdition(kMorva7EEdition); }

    FakeCamera camera;
    CommandTable commands;
    std::vector<unsigned> dispatched;
};

TEST_F(MainFrameTest, DeveloperModeKeepsTheInterfaceMenuOtherNamesTrimIt) {
    const QStringList full{"Manual Command...", "&Read From Camera\tCtrl+R",
                           "&Write To Camera\tCtrl+W", "-", "Seria&l Port...\tCtrl+L "};
    struct Case {
        const char* argv0;
        const Edition* edition;
        QStringList expected;
    };
    const Case cases[] = {
        {"/opt/x/Service Console Mode", &kMorva7EEdition, full},
        {"SERVICE console mode.exe", &kMorva7EEdition, full},
        {"service console mode", &kTavinEdition, full},
        {"/usr/bin/morva-7e",
         &kMorva7EEdition,
         {"&Read From Camera\tCtrl+R", "&Write To Camera\tCtrl+W"}},
        {"Service Console Mode 2",
         &kMorva7EEdition,
         {"&Read From Camera\tCtrl+R", "&Write To Camera\tCtrl+W"}},
        {"/usr/bin/tavin",
         &kTavinEdition,
         {"&Read From Camera\tCtrl+R", "&Write To Camera\tCtrl+W", "-",
          "Seria&l Port...\tCtrl+L "}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.argv0);
        const auto frame =
            MakeFrame(*c.edition, IsDeveloperMode(ExecutableBaseName(QString::fromUtf8(c.argv0))));
        EXPECT_EQ(MenuTexts(TopMenu(*frame, 1)), c.expected);
    }
}

TEST_F(MainFrameTest, MenusOfBothPrograms) {
    const auto morva = MakeFrame(kMorva7EEdition, false);
    EXPECT_EQ(MenuTexts(TopMenu(*morva, 0)),
              (QStringList{"&Open...\tCtrl+O", "&Save\tCtrl+S", "Save &As...", "-", "Recent File",
                           "-", "E&xit"}));
    EXPECT_EQ(MenuTexts(TopMenu(*morva, 2)), QStringList{"&About MORVA-7E..."});
    EXPECT_EQ(morva->menuBar()->actions().size(), 3);
    EXPECT_FALSE(FindCommand(*morva->menuBar(), 57616)->isEnabled());

    const auto tavin = MakeFrame(kTavinEdition, false);
    EXPECT_EQ(MenuTexts(TopMenu(*tavin, 2)), QStringList{"&About MORVA-7ECL..."});
    ASSERT_EQ(tavin->menuBar()->actions().size(), 4);
    QAction* adjust = tavin->menuBar()->actions().at(3);
    EXPECT_EQ(adjust->text(), QString());
    adjust->trigger();
    EXPECT_EQ(dispatched, std::vector<unsigned>{32779});
}

TEST_F(MainFrameTest, AcceleratorsWorkWithoutTheirMenuItems) {
    const auto frame = MakeFrame(kMorva7EEdition, false);
    frame->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    ASSERT_EQ(FindCommand(*frame->menuBar(), 32772), nullptr);
    const std::pair<Qt::Key, unsigned> keys[] = {
        {Qt::Key_L, 32771}, {Qt::Key_R, 32774}, {Qt::Key_W, 32776}, {Qt::Key_P, 32780},
        {Qt::Key_N, 57600}, {Qt::Key_O, 57601}, {Qt::Key_S, 57603}};
    for (const auto& [key, id] : keys) {
        dispatched.clear();
        QTest::keyClick(frame.get(), key, Qt::ControlModifier);
        EXPECT_EQ(dispatched, std::vector<unsigned>{id}) << id;
    }
}

TEST_F(MainFrameTest, TitleSizeAndPortPane) {
    const auto morva = MakeFrame(kMorva7EEdition, false);
    morva->SetDocumentTitle(QStringLiteral("a.tvn"));
    EXPECT_EQ(morva->windowTitle(), QStringLiteral("MORVA-7E"));
    EXPECT_EQ(morva->size(), QSize(550, 400));

    const auto tavin = MakeFrame(kTavinEdition, false);
    tavin->SetDocumentTitle(QStringLiteral("Untitled"));
    EXPECT_EQ(tavin->windowTitle(), QStringLiteral("Untitled - MORVA-7ECL for Meteor_2_CL"));
    EXPECT_EQ(tavin->size(), QSize(635, 446));

    // Each window carries its program's own icon.
    const QImage morvaIcon = morva->windowIcon().pixmap(32).toImage();
    const QImage tavinIcon = tavin->windowIcon().pixmap(32).toImage();
    EXPECT_FALSE(morvaIcon.isNull());
    EXPECT_FALSE(tavinIcon.isNull());
    EXPECT_NE(morvaIcon, tavinIcon);

    EXPECT_EQ(tavin->PortPaneText(), QStringLiteral(" ?"));
    camera.OpenSerialPort(10, 9600);
    tavin->UpdatePortPane();
    EXPECT_EQ(tavin->PortPaneText(), QStringLiteral("COM10"));
    camera.OpenCameraLink("clsermtx.dll");
    tavin->UpdatePortPane();
    EXPECT_EQ(tavin->PortPaneText(), QStringLiteral(" ?"));
}

class PaintCounter : public QObject {
  public:
    bool eventFilter(QObject*, QEvent* event) override {
        paints += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
    int paints = 0;
};

TEST_F(MainFrameTest, StatusTextIsPaintedAtOnceAndMenuPromptsShowOverIt) {
    const auto frame = MakeFrame(kMorva7EEdition, true);
    frame->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
    auto* pane = frame->statusBar()->findChild<QLabel*>(QStringLiteral("0"));
    ASSERT_TRUE(pane);
    PaintCounter counter;
    pane->installEventFilter(&counter);
    frame->SetStatusText(QStringLiteral("Sending GAIN (FINE) data to camera..."));
    EXPECT_GT(counter.paints, 0) << "painted without returning to the event loop";
    EXPECT_EQ(frame->MessagePaneText(), QStringLiteral("Sending GAIN (FINE) data to camera..."));

    QAction* read = FindCommand(*frame->menuBar(), 32773);
    EXPECT_EQ(read->statusTip(), QStringLiteral("Read Every Camera Data From Camera"));
    EXPECT_EQ(FindCommand(*frame->menuBar(), 32772)->statusTip(),
              QStringLiteral("Select A Communication Port"));
    QStatusTipEvent tip(read->statusTip());
    QCoreApplication::sendEvent(frame.get(), &tip);
    EXPECT_EQ(frame->MessagePaneText(), read->statusTip());
    frame->SetStatusText(QStringLiteral("Ready"));
    EXPECT_EQ(frame->MessagePaneText(), read->statusTip()) << "the prompt stays while highlighted";
    QStatusTipEvent none{QString()};
    QCoreApplication::sendEvent(frame.get(), &none);
    EXPECT_EQ(frame->MessagePaneText(), QStringLiteral("Ready"));
}

TEST_F(MainFrameTest, RecentFilesReplaceThePlaceholder) {
    const auto frame = MakeFrame(kMorva7EEdition, false);
    frame->SetRecentFiles({"/d/a.tvn", "/d/b.tvn"});
    QStringList texts = MenuTexts(TopMenu(*frame, 0));
    EXPECT_EQ(texts.mid(4, 3), (QStringList{"&1 /d/a.tvn", "&2 /d/b.tvn", "-"}));
    FindCommand(*frame->menuBar(), 57617)->trigger();
    EXPECT_EQ(dispatched, std::vector<unsigned>{57617});

    frame->SetRecentFiles({});
    texts = MenuTexts(TopMenu(*frame, 0));
    EXPECT_EQ(texts.mid(4, 2), (QStringList{"Recent File", "-"}));
}

}  // namespace
}  // namespace tavin
