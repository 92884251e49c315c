#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCursor>
#include <QDialog>
#include <QFile>
#include <QFileOpenEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include "CCommSystemDlg.h"
#include "CMainFrame.h"
#include "CTAVINApp.h"
#include "CTAVINDoc.h"
#include "CTAVINView.h"
#include "DialogBuilder.h"
#include "DocumentManager.h"
#include "FakeCamera.h"
#include "GuiTestSupport.h"
#include "ProgramWait.h"
#include "templates/Menus.h"

namespace tavin {
namespace {

using testing::FakeCamera;
using testing::MessageRecorder;
using testing::RunEventLoopUntil;
using testing::WhenShown;
using Calls = std::vector<std::string>;

QSettings Profile(const Edition& edition) {
    return QSettings(
        edition.kind == EditionKind::Tavin ? "Brenmark Imaging Ltd." : "Brenmark Optic Ltd.",
        edition.kind == EditionKind::Tavin ? "MORVA-7ECL for Meteor_2_CL" : "MORVA-7E");
}

class StartupTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const Edition* edition : {&kMorva7EEdition, &kTavinEdition}) {
            QSettings profile = Profile(*edition);
            profile.clear();
        }
    }
    void TearDown() override { SetCurrentEdition(kMorva7EEdition); }

    // Starts `edition` with `arguments` after the program name; `choose` works the start
    // dialog (the full program shows it).
    std::unique_ptr<CTAVINApp> Start(const Edition& edition, QStringList arguments,
                                     std::function<void(CCommSystemDlg&)> choose = {}) {
        SetCurrentEdition(edition);
        camera = std::make_unique<FakeCamera>();
        arguments.prepend(QString::fromUtf8(edition.programName));
        auto app = std::make_unique<CTAVINApp>(edition, *camera, arguments);
        if (choose) {
            WhenShown<CCommSystemDlg>(std::move(choose));
        }
        started = app->InitInstance();
        return app;
    }

    QString DataFile(const char* name, int bytes = 208) {
        QTemporaryDir scratch;
        FakeCamera source;
        CTAVINDoc writer(source);
        const QString path = dir.filePath(QString::fromUtf8(name));
        EXPECT_TRUE(writer.OnSaveDocument(path));
        QFile::resize(path, bytes);
        return path;
    }

    static void Click(QWidget& dialog, int id) {
        QTest::mouseClick(DialogItem<QAbstractButton>(dialog, id), Qt::LeftButton);
    }

    QTemporaryDir dir;
    std::unique_ptr<FakeCamera> camera;
    bool started = false;
};

TEST_F(StartupTest, FullProgramOpensTheChosenLinkAndReadsTheCamera) {
    MessageRecorder messages;
    struct Case {
        const char* name;
        std::function<void(CCommSystemDlg&)> choose;
        bool withFile;
        Calls expected;
    };
    const Case cases[] = {
        {"OPEN at once",
         [](CCommSystemDlg& d) { Click(d, comm_system::kOpen); },
         false,
         {"OpenSerialPort 1 19200", "FetchAllItems"}},
        {"COM 3 at 9600 with a file: the file's values are written, no read",
         [](CCommSystemDlg& d) {
             Click(d, comm_system::kFirstPort + 2);
             Click(d, comm_system::kBaud9600);
             Click(d, comm_system::kOpen);
         },
         true,
         {"OpenSerialPort 3 9600", "SendItemSet"}},
        {"Eeuresys with a file: read first, then the file is written",
         [](CCommSystemDlg& d) {
             Click(d, comm_system::kEeuresys);
             Click(d, comm_system::kOpen);
         },
         true,
         {"OpenCameraLink clseremc.dll", "FetchAllItems", "SendItemSet"}},
        {"Matrox ignores a typed path",
         [](CCommSystemDlg& d) {
             Click(d, comm_system::kOtherFactory);
             QTest::keyClicks(DialogItem<QLineEdit>(d, comm_system::kLibraryPath), "libmine.so");
             Click(d, comm_system::kMatrox);
             Click(d, comm_system::kOpen);
         },
         false,
         {"OpenCameraLink clsermtx.dll", "FetchAllItems"}},
        {"Other Factory passes the typed path unchanged",
         [](CCommSystemDlg& d) {
             Click(d, comm_system::kOtherFactory);
             QTest::keyClicks(DialogItem<QLineEdit>(d, comm_system::kLibraryPath),
                              "../boards/libmine.so");
             Click(d, comm_system::kOpen);
         },
         false,
         {"OpenCameraLink ../boards/libmine.so", "FetchAllItems"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QStringList arguments =
            c.withFile ? QStringList{DataFile("start.tvn")} : QStringList{};
        auto app = Start(kMorva7EEdition, arguments, c.choose);
        ASSERT_TRUE(started);
        EXPECT_EQ(camera->calls, c.expected);
        ASSERT_TRUE(app->MainFrame());
        EXPECT_TRUE(app->MainFrame()->isVisible());
        EXPECT_TRUE(app->MainFrame()->acceptDrops());
        EXPECT_EQ(app->Document().GetTitle(),
                  c.withFile ? QStringLiteral("start.tvn") : QStringLiteral("Untitled"));
    }
    EXPECT_TRUE(messages.requests.empty());
}

TEST_F(StartupTest, NoReadWhenThePortDidNotOpenAndTheRequestedPortIsStored) {
    SetCurrentEdition(kMorva7EEdition);
    {
        auto app = Start(kMorva7EEdition, {}, [this](CCommSystemDlg& d) {
            camera->openResult = -4;
            Click(d, comm_system::kFirstPort + 4);
            Click(d, comm_system::kOpen);
        });
        ASSERT_TRUE(started);
        EXPECT_EQ(camera->calls, Calls{"OpenSerialPort 5 19200"});
        EXPECT_EQ(app->MainFrame()->PortPaneText(), QStringLiteral(" ?"));
    }
    EXPECT_EQ(Profile(kMorva7EEdition).value("Settings/COM Port").toInt(), 5);
}

TEST_F(StartupTest, LeavingTheStartDialogEndsWithStatusOneAndStoresPortZero) {
    for (auto leave : std::vector<std::function<void(CCommSystemDlg&)>>{
             [](CCommSystemDlg& d) { Click(d, comm_system::kCancel); },
             [](CCommSystemDlg& d) { QTest::keyClick(&d, Qt::Key_Escape); },
             [](CCommSystemDlg& d) { d.close(); }}) {
        {
            auto app = Start(kMorva7EEdition, {}, leave);
            EXPECT_FALSE(started);
            EXPECT_EQ(app->ExitCode(), 1);
            EXPECT_EQ(app->MainFrame(), nullptr);
            EXPECT_TRUE(camera->calls.empty());
        }
        QSettings profile = Profile(kMorva7EEdition);
        EXPECT_TRUE(profile.contains("Settings/COM Port"));
        EXPECT_EQ(profile.value("Settings/COM Port").toInt(), 0);
    }
}

TEST_F(StartupTest, SingleLibraryProgramUsesTheStoredPortAndAlwaysReads) {
    {
        auto app = Start(kTavinEdition, {});
        ASSERT_TRUE(started);
        EXPECT_EQ(camera->calls, (Calls{"OpenSerialPort 1 9600", "FetchAllItems"}));
        EXPECT_EQ(app->MainFrame()->windowTitle(),
                  QStringLiteral("Untitled - MORVA-7ECL for Meteor_2_CL"));
    }
    Profile(kTavinEdition).setValue("Settings/COM Port", 2);
    auto app = Start(kTavinEdition, {DataFile("t.tvn")});
    ASSERT_TRUE(started);
    EXPECT_EQ(camera->calls, (Calls{"OpenSerialPort 2 9600", "FetchAllItems", "SendItemSet"}));
    EXPECT_EQ(app->MainFrame()->windowTitle(),
              QStringLiteral("t.tvn - MORVA-7ECL for Meteor_2_CL"));
}

TEST_F(StartupTest, ACommandLineFileThatCannotBeLoadedEndsTheProgram) {
    MessageRecorder messages;
    auto app = Start(kTavinEdition, {DataFile("cut.tvn", 100)});
    EXPECT_FALSE(started);
    EXPECT_NE(app->ExitCode(), 0);
    EXPECT_EQ(messages.Texts(), QStringList{QStringLiteral("Unexpected file format.")});
    EXPECT_EQ(camera->calls.back(), "Close");
}

TEST_F(StartupTest, IdleShowsReadyAndTheWindowAsksToSaveBeforeClosing) {
    auto app = Start(kMorva7EEdition, {}, [](CCommSystemDlg& d) { Click(d, comm_system::kOpen); });
    ASSERT_TRUE(started);
    CMainFrame* frame = app->MainFrame();
    TheUserInterface().SetStatusText("Sending GAIN (FINE) data to camera...");
    EXPECT_EQ(frame->MessagePaneText(), QStringLiteral("Sending GAIN (FINE) data to camera..."));
    // The idle work runs when the event loop is about to wait.
    EXPECT_TRUE(RunEventLoopUntil([&] { return frame->MessagePaneText() == "Ready"; }));
    EXPECT_EQ(frame->PortPaneText(), QStringLiteral("COM1"));

    app->Document().SetModifiedFlag();
    {
        MessageRecorder messages({MessageAnswer::Cancel});
        frame->close();
        EXPECT_EQ(messages.Texts(), QStringList{QStringLiteral("Save changes to Untitled?")});
        EXPECT_TRUE(frame->isVisible());
    }
    MessageRecorder messages({MessageAnswer::No});
    QTimer::singleShot(0, frame, &QWidget::close);
    EXPECT_EQ(app->Run(), 0);
    EXPECT_FALSE(frame->isVisible());
}

TEST_F(StartupTest, AFileDroppedOnTheWindowIsOpened) {
    MessageRecorder messages;
    auto app = Start(kTavinEdition, {});
    ASSERT_TRUE(started);
    app->Document().SetModifiedFlag(false);
    camera->calls.clear();
    const QString path = DataFile("dropped.tvn");
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(app->MainFrame(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(app->MainFrame(), &drop);
    EXPECT_EQ(app->Document().GetTitle(), QStringLiteral("dropped.tvn"));
    EXPECT_EQ(camera->calls, Calls{"SendItemSet"});
}

// What reaches the window while the camera is waited for runs after the operation, in order.
TEST_F(StartupTest, DropsOpenRequestsAndCommandsDuringACameraWaitRunAfterIt) {
    MessageRecorder messages({MessageAnswer::No});  // the read marked the document modified
    auto app = Start(kTavinEdition, {});
    ASSERT_TRUE(started);
    app->Document().SetModifiedFlag(false);
    camera->calls.clear();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(DataFile("dropped.tvn"))});
    const QString requested = DataFile("requested.tvn");
    camera->duringFetch = [&] {
        QTimer::singleShot(0, [&] {
            QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
            QCoreApplication::sendEvent(app->MainFrame(), &enter);
            QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
            QCoreApplication::sendEvent(app->MainFrame(), &drop);
            QFileOpenEvent open(requested);
            QCoreApplication::sendEvent(QCoreApplication::instance(), &open);
            app->Commands().Dispatch(command::kWriteToCamera);
        });
        TheUserInterface().KeepResponsive();
        EXPECT_EQ(camera->calls, Calls{"FetchAllItems"}) << "run inside the read";
    };
    app->Commands().Dispatch(command::kReadFromCamera);
    EXPECT_EQ(camera->calls, Calls{"FetchAllItems"});
    EXPECT_TRUE(RunEventLoopUntil([&] { return camera->calls.size() == 4; }));
    EXPECT_EQ(camera->calls,
              (Calls{"FetchAllItems", "SendItemSet", "SendItemSet", "SendAllItems"}));
    EXPECT_EQ(app->Document().GetTitle(), QStringLiteral("requested.tvn"));
}

// A progress text stays while a message box or dialog is open and while the loop test pauses.
TEST_F(StartupTest, ReadyComesBackOnlyWhenTheProgramIsReallyIdle) {
    auto app = Start(kTavinEdition, {});
    ASSERT_TRUE(started);
    CMainFrame* frame = app->MainFrame();
    const QString progress = QStringLiteral("Sending GAIN (FINE) data to camera...");
    TheUserInterface().SetStatusText(progress.toStdString());
    QStringList seen;
    QDialog box(frame);
    QTimer::singleShot(50, &box, [&] {
        seen << frame->MessagePaneText();
        box.reject();
    });
    box.exec();
    for (int pause = 0; pause < 3; ++pause) {
        PauseInEventLoop(10);
    }
    seen << frame->MessagePaneText();
    EXPECT_EQ(seen, (QStringList{progress, progress}));
    EXPECT_TRUE(RunEventLoopUntil([&] { return frame->MessagePaneText() == "Ready"; }));
}

TEST_F(StartupTest, FileLoadsAndWholeCameraTransfersRunUnderTheWaitCursor) {
    MessageRecorder messages;
    auto app = Start(kTavinEdition, {});
    ASSERT_TRUE(started);
    std::vector<int> shapes;
    const auto record = [&shapes] {
        const QCursor* cursor = QApplication::overrideCursor();
        shapes.push_back(cursor ? cursor->shape() : -1);
    };
    camera->duringFetch = record;
    camera->duringSendAll = record;
    camera->fetchResult = -5;  // the cursor also comes back after a failure
    app->Commands().Dispatch(command::kReadFromCamera);
    app->Commands().Dispatch(command::kWriteToCamera);
    app->Documents().OpenDocumentFile(DataFile("loaded.tvn"));
    EXPECT_EQ(shapes, (std::vector<int>(3, Qt::WaitCursor)));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// After a failed exchange nothing asked for meanwhile runs on the outcome the user did not see:
// drops, open requests and commands are dropped and named in the status bar; a close is still
// meant and runs once the message is dismissed.
TEST_F(StartupTest, RequestsMadeDuringAFailedWaitAreDroppedButACloseIsHonoured) {
    MessageRecorder messages;
    auto app = Start(kTavinEdition, {});
    ASSERT_TRUE(started);
    CMainFrame* frame = app->MainFrame();
    camera->calls.clear();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(DataFile("dropped.tvn"))});
    const QString requested = DataFile("requested.tvn");
    camera->fetchResult = -5;
    camera->duringFetch = [&] {
        QTimer::singleShot(0, [&] {
            QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
            QCoreApplication::sendEvent(frame, &enter);
            QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
            QCoreApplication::sendEvent(frame, &drop);
            QFileOpenEvent open(requested);
            QCoreApplication::sendEvent(QCoreApplication::instance(), &open);
            app->Commands().Dispatch(command::kWriteToCameraAccel);
            frame->close();
        });
        TheUserInterface().KeepResponsive();
        // The data set reports its failure.
        TheUserInterface().ShowMessage("ERROR - Communication time out detected.", {},
                                       MessageIcon::Error);
    };
    app->Commands().Dispatch(command::kReadFromCamera);
    EXPECT_EQ(frame->IdleText(),
              "Open dropped.tvn, Open requested.tvn, Write not done: the camera did not answer. "
              "The camera's settings were not read; the panel shows the last complete set.");
    EXPECT_TRUE(RunEventLoopUntil([&] { return !frame->isVisible(); })) << "the close was lost";
    EXPECT_EQ(camera->calls, Calls{"FetchAllItems"});
    EXPECT_EQ(messages.Texts(), QStringList{"ERROR - Communication time out detected."});
}

// Nothing held back during a loop test that went through is acted on a minute and a half later,
// not even a close; a run that stopped says so.
TEST_F(StartupTest, RequestsMadeDuringALoopTestAreDroppedAndAStoppedRunIsNoted) {
    MessageRecorder messages;
    auto app = Start(kTavinEdition, {});
    ASSERT_TRUE(started);
    CMainFrame* frame = app->MainFrame();
    auto* view = qobject_cast<CTAVINView*>(frame->centralWidget());
    ASSERT_NE(view, nullptr);
    camera->calls.clear();
    {
        const ProgramWait running;
        app->Commands().Dispatch(command::kWriteToCameraAccel);
        frame->close();
    }
    emit view->loopTestEnded(true);
    EXPECT_EQ(frame->IdleText(), "Write, Close not done: the loop test was running.");
    QTest::qWait(50);  // the idle moments when a waiting request would run
    EXPECT_TRUE(camera->calls.empty());
    EXPECT_TRUE(frame->isVisible());

    TheUserInterface().SetStatusText("Loop test: step 5 of 88, shutter 1/2000...");
    emit view->loopTestEnded(false);
    EXPECT_EQ(frame->IdleText(), "The loop test stopped at the step the camera did not take.");
}

// The main window is up before the first reading, which shows its progress there under the wait
// cursor; a reading that fails says so once the program is idle, until the next operation.
TEST_F(StartupTest, TheFirstReadingRunsInTheShownWindowAndAFailureIsNoted) {
    MessageRecorder messages;
    bool windowShown = false;
    bool waiting = false;
    SetCurrentEdition(kTavinEdition);
    camera = std::make_unique<FakeCamera>();
    camera->fetchResult = -5;
    camera->duringFetch = [&] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            windowShown = windowShown || (qobject_cast<CMainFrame*>(widget) && widget->isVisible());
        }
        waiting = QApplication::overrideCursor() &&
                  QApplication::overrideCursor()->shape() == Qt::WaitCursor;
        EXPECT_TRUE(TheUserInterface().HasMainWindow());
    };
    CTAVINApp app(kTavinEdition, *camera, {"tavin"});
    ASSERT_TRUE(app.InitInstance());
    EXPECT_TRUE(windowShown);
    EXPECT_TRUE(waiting);
    CMainFrame* frame = app.MainFrame();
    const QString note =
        "The camera's settings were not read; the panel shows the last complete set.";
    EXPECT_TRUE(RunEventLoopUntil([&] { return frame->MessagePaneText() == note; }));
    TheUserInterface().SetStatusText("Sending GAIN (FINE) data to camera...");
    EXPECT_TRUE(RunEventLoopUntil([&] { return frame->MessagePaneText() == "Ready"; }));
}

}  // namespace
}  // namespace tavin
