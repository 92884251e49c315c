#include "DesktopRig.h"

#include <xcb/xcb.h>

#include <QtGui/qguiapplication_platform.h>
#include <QDialog>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>
#include <cstdlib>
#include <cstring>

#include "CMainFrame.h"
#include "CTAVINDoc.h"
#include "CTAVINView.h"
#include "CommandTable.h"
#include "DialogBuilder.h"
#include "FakeCamera.h"
#include "templates/CommandMenuDialog.h"

namespace tavin::testing {

namespace {

const QString kEnq = QStringLiteral("host   ENQ");
constexpr int kFailedExchangeMs = 8000;  // an exchange with a silent camera gives up after ~4 s

QString ProgramPath(const QString& name, const char* built) {
    const QString folder = qEnvironmentVariable("TAVIN_DESKTOP_PROGRAMS");
    return folder.isEmpty() ? QString::fromUtf8(built) : folder + QLatin1Char('/') + name;
}

}  // namespace

void DesktopTest::SetUp() {
    xvfb_.emplace(QStringLiteral("Xvfb"),
                  QStringList{"-displayfd", "1", "-nolisten", "tcp", "-screen", "0", "1024x768x24"},
                  QProcessEnvironment::systemEnvironment());
    // No event loop before the application exists: wait for the display number directly.
    ASSERT_TRUE(xvfb_->process.waitForReadyRead(10000)) << "Xvfb did not start";
    display_ = ":" + QString::fromUtf8(xvfb_->process.readLine()).trimmed();
    env_ = QProcessEnvironment::systemEnvironment();
    env_.insert("DISPLAY", display_);
    env_.insert("QT_QPA_PLATFORM", "xcb");
    env_.insert("XDG_CONFIG_HOME", profile_.path());
    env_.remove("WAYLAND_DISPLAY");
    qputenv("DISPLAY", display_.toUtf8());
    qputenv("QT_QPA_PLATFORM", "xcb");
    app_.emplace(argc_, argv_);
}

void DesktopTest::TearDown() {
    program_.reset();
    camera_.reset();
    app_.reset();
}

void DesktopTest::StartProgram(const QString& name, const QStringList& args) {
    program_.emplace(name == QLatin1String("tavin") ? ProgramPath(name, TAVIN_PATH)
                                                    : ProgramPath(name, MORVA7E_PATH),
                     args, env_);
}

void DesktopTest::StartMorva7E(const QStringList& args, const QStringList& camsimArgs) {
    edition_ = &kMorva7EEdition;
    QString pty;
    camera_ = StartCamsim(env_, camsimArgs, &pty);
    ASSERT_FALSE(pty.isEmpty()) << "tavin-camsim did not start";
    env_.insert("TAVIN_COM1", ComDevice(pty));
    StartProgram(QStringLiteral("morva-7e"), args);

    // The start dialog opens on COM 1; back from there to OPEN and press it.
    const QString dialog = WaitForWindow("^Select Communication System$");
    ASSERT_FALSE(dialog.isEmpty()) << "no start dialog";
    Key(dialog, {"shift+Tab", "shift+Tab", "space"});
    main_ = WaitForWindow("^MORVA-7E$");
    ASSERT_FALSE(main_.isEmpty()) << "no main window";
    // With a file named, the file's items are written instead of the camera's read.
    const QString transfer = args.isEmpty() ? "host   read" : "host   write";
    ASSERT_TRUE(camera_->WaitForCount(transfer, 45, 10000)) << "no start-up transfer";
    startupReads_ = camera_->Count("host   read");
}

void DesktopTest::StartTavin() {
    edition_ = &kTavinEdition;
    camera_ = PrepareBoard(profile_.path(), env_);
    StartProgram(QStringLiteral("tavin"), {});
    main_ = WaitForWindow(" - MORVA-7ECL for Meteor_2_CL$");
    ASSERT_FALSE(main_.isEmpty()) << "no main window";
    ASSERT_TRUE(camera_->WaitForCount("host   read", 45, 10000)) << "no start-up read";
    startupReads_ = camera_->Count("host   read");
}

QString DesktopTest::Xdo(const QStringList& args, int ms) {
    QProcess xdo;
    xdo.setProcessEnvironment(env_);
    xdo.start(QStringLiteral("xdotool"), args);
    if (!QTest::qWaitFor([&] { return xdo.state() == QProcess::NotRunning; }, ms)) {
        xdo.kill();
        xdo.waitForFinished();
    }
    return QString::fromUtf8(xdo.readAllStandardOutput()).trimmed();
}

QString DesktopTest::WaitForWindow(const QString& name) {
    return Xdo({"search", "--sync", "--onlyvisible", "--name", name}).section('\n', 0, 0);
}

QPoint DesktopTest::WindowOrigin(const QString& window) {
    QPoint origin;
    for (const QString& line : Xdo({"getwindowgeometry", "--shell", window}).split('\n')) {
        if (line.startsWith("X=")) {
            origin.setX(line.mid(2).toInt());
        } else if (line.startsWith("Y=")) {
            origin.setY(line.mid(2).toInt());
        }
    }
    return origin;
}

QStringList DesktopTest::Boxes() {
    const QString title = QString::fromUtf8(
        edition_->kind == EditionKind::Tavin ? "^MORVA-7ECL for Meteor_2_CL$" : "^MORVA-7E$");
    QStringList boxes = Xdo({"search", "--onlyvisible", "--name", title}).split('\n');
    boxes.removeAll(main_);
    boxes.removeAll(QString());
    return boxes;
}

QString DesktopTest::WaitForBox(int ms) {
    QString box;
    QElapsedTimer clock;
    clock.start();
    while ((box = Boxes().value(0)).isEmpty() && clock.elapsed() < ms) {
        camera_->WaitForLine([](const QString&) { return false; }, 100);
    }
    return box;
}

bool DesktopTest::ShowsMessage(const QString& window, const QString& text) {
    QMessageBox expected(
        QMessageBox::Critical,
        QString::fromUtf8(edition_->kind == EditionKind::Tavin ? "MORVA-7ECL for Meteor_2_CL"
                                                               : "MORVA-7E"),
        text, QMessageBox::Ok);
    expected.setAttribute(Qt::WA_DontShowOnScreen);
    expected.show();
    const QRect where = expected.findChild<QLabel*>("qt_msgbox_label")->geometry();
    const QPixmap shown = QApplication::primaryScreen()->grabWindow(window.toULongLong());
    return shown.size() == expected.size() &&
           shown.copy(where).toImage().convertToFormat(QImage::Format_RGB32) ==
               expected.grab(where).toImage().convertToFormat(QImage::Format_RGB32);
}

QPoint DesktopTest::OnMainWindow(const std::function<QPoint(QWidget& frame)>& where) {
    const ScopedEdition edition(*edition_);
    FakeCamera camera;
    CommandTable commands;
    CTAVINDoc document(camera);
    CMainFrame frame(*edition_, false, commands, camera);
    frame.SetView(new CTAVINView(document, &frame));
    frame.setAttribute(Qt::WA_DontShowOnScreen);
    frame.show();
    return WindowOrigin(main_) + where(frame);
}

QPoint DesktopTest::PanelControl(int controlId) {
    return OnMainWindow([controlId](QWidget& frame) {
        const QWidget* control = DialogItem(frame, controlId);
        return control->mapTo(&frame, control->rect().center());
    });
}

namespace {

// The middle of the right arrow of `slider` relative to the top-level window.
QPoint RightArrow(const QWidget& top, int sliderId) {
    const auto* bar = DialogItem<QScrollBar>(top, sliderId);
    QStyleOptionSlider option;
    option.initFrom(bar);
    option.orientation = Qt::Horizontal;
    option.minimum = bar->minimum();
    option.maximum = bar->maximum();
    option.sliderPosition = option.sliderValue = bar->value();
    option.singleStep = bar->singleStep();
    option.pageStep = bar->pageStep();
    option.subControls = QStyle::SC_All;
    const QRect arrow = bar->style()->subControlRect(QStyle::CC_ScrollBar, &option,
                                                     QStyle::SC_ScrollBarAddLine, bar);
    return bar->mapTo(&top, arrow.center());
}

}  // namespace

QPoint DesktopTest::PanelArrow(int sliderId) {
    return OnMainWindow([sliderId](QWidget& frame) { return RightArrow(frame, sliderId); });
}

QPoint DesktopTest::CommandMenuArrow(const QString& window, int sliderId) {
    QDialog dialog;
    BuildDialog(dialog, CommandMenuDialogTemplate());
    return WindowOrigin(window) + RightArrow(dialog, sliderId);
}

void DesktopTest::Click(QPoint at) {
    Xdo({"mousemove", "--sync", QString::number(at.x()), QString::number(at.y())});
    Xdo({"mousedown", "1"});
    Xdo({"mouseup", "1"});
}

void DesktopTest::Key(const QString& window, const QStringList& keys) {
    Xdo({"windowfocus", "--sync", window});
    Xdo(QStringList{"key", "--delay", "50"} + keys);
}

void DesktopTest::RequestClose(const QString& window) {
    // No window manager runs here, so the test sends what one sends: WM_DELETE_WINDOW.
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    ASSERT_NE(x11, nullptr);
    xcb_connection_t* connection = x11->connection();
    const auto atom = [connection](const char* name) {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 0, uint16_t(strlen(name)), name), nullptr);
        const xcb_atom_t value = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        free(reply);
        return value;
    };
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = xcb_window_t(window.toULong());
    message.type = atom("WM_PROTOCOLS");
    message.data.data32[0] = atom("WM_DELETE_WINDOW");
    message.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(connection, 0, message.window, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(connection);
}

void DesktopTest::DragOntoMainWindow(DragSource& source) {
    // Press on the source, move onto the main window in two steps and let go there.
    const QPoint from = source.geometry().center();
    const QPoint to = WindowOrigin(main_) + QPoint(40, 60);
    QProcess drag;
    drag.setProcessEnvironment(env_);
    drag.start("xdotool", QStringLiteral("mousemove --sync %1 %2 mousedown 1 sleep 0.3 "
                                         "mousemove %3 %4 sleep 0.3 mousemove %5 %4 sleep 0.5 "
                                         "mouseup 1")
                              .arg(from.x())
                              .arg(from.y())
                              .arg(to.x() + 20)
                              .arg(to.y())
                              .arg(to.x())
                              .split(' '));
    EXPECT_TRUE(QTest::qWaitFor([&] { return source.dropped; }, 5000)) << "drag did not end";
}

void DesktopTest::CameraCommand(const QString& command, const QString& answer) {
    EXPECT_EQ(camera_->Command(command), answer.isEmpty() ? command : answer);
}

int DesktopTest::Enqs() {
    return camera_->Count(kEnq);
}

void DesktopTest::ExpectOneBoxAndQuiet(int enqBefore, int enqsAfter,
                                       const std::function<void()>& beforeDismissing, int quietMs) {
    const QString box = WaitForBox(kFailedExchangeMs);
    ASSERT_FALSE(box.isEmpty()) << "no error box";
    EXPECT_EQ(Enqs() - enqBefore, 4) << "ENQs before the box";
    EXPECT_TRUE(ShowsMessage(
        box, QStringLiteral("ERROR - Communication time out detected.\nCheck the connection.")))
        << "not the time-out message";
    if (beforeDismissing) {
        beforeDismissing();
    }
    const int enqAtDismissal = Enqs();
    Key(box, {"Return"});
    QStringList boxes;
    int enqs = 0;
    QElapsedTimer clock;
    for (clock.start(); clock.elapsed() < quietMs && boxes.isEmpty() && enqs <= enqsAfter;) {
        camera_->WaitForLine([](const QString&) { return false; }, 250);
        boxes = Boxes();
        boxes.removeAll(box);  // not unmapped yet
        enqs = Enqs() - enqAtDismissal;
    }
    EXPECT_EQ(boxes.size(), 0) << "box after box";
    EXPECT_EQ(enqs, enqsAfter) << "ENQs after the box";
}

void DesktopTest::ExpectReadAllWorks() {
    Key(main_, {"ctrl+r"});
    EXPECT_TRUE(camera_->WaitForCount("host   read", startupReads_ + 45, 10000));
    EXPECT_TRUE(Boxes().isEmpty());
}

}  // namespace tavin::testing
