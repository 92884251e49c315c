// The built morva-7e on a real X server (Xvfb), driven by real keys and pointer (xdotool),
// against tavin-camsim on a pseudo-terminal that stops answering on cue. What only a real display
// shows is tested here: a modal box takes the mouse release away from a pressed scroll-bar arrow,
// and a file dropped from another program arrives while a camera exchange waits.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QDrag>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QProcess>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <algorithm>
#include <functional>
#include <optional>
#include <set>
#include <string_view>

#include "CMainFrame.h"
#include "CTAVINDoc.h"
#include "CTAVINView.h"
#include "CommandTable.h"
#include "DialogBuilder.h"
#include "FakeCamera.h"
#include "templates/CommandMenuDialog.h"
#include "templates/Forms.h"

#ifdef SER2NET_PATH
#include "Ser2netServer.h"
#endif

namespace tavin {
namespace {

const QString kTitle = QStringLiteral("^MORVA-7E$");
const QString kEnq = QStringLiteral("host   ENQ");
const QString kTimeOut =
    QStringLiteral("ERROR - Communication time out detected.\nCheck the connection.");
constexpr int kFailedWriteMs = 8000;  // a write to a silent camera gives up after about 4 s
constexpr int kQuietMs = 10000;       // nothing may follow a dismissed box for this long

int CommandMenuSliderOf(std::string_view title) {
    for (const CommandMenuRow& row : CommandMenuRows()) {
        if (title == row.title) {
            return row.sliderId;
        }
    }
    ADD_FAILURE() << "no Command Menu row " << title;
    return 0;
}

// A child process, stopped on the way out also when a test fails: politely first, so that Xvfb
// removes its lock file.
class Child {
  public:
    Child(const QString& program, const QStringList& args, const QProcessEnvironment& env) {
        process.setProgram(program);
        process.setArguments(args);
        process.setProcessEnvironment(env);
        process.start();
        if (!process.waitForStarted(5000)) {
            ADD_FAILURE() << "cannot start " << program.toStdString();
        }
    }
    ~Child() {
        if (process.state() != QProcess::NotRunning) {
            process.terminate();
            if (!process.waitForFinished(3000)) {
                process.kill();
                process.waitForFinished(3000);
            }
        }
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    // Lines of standard output so far; waits up to `ms` for the first one that `wanted` accepts.
    // This process's events are handled meanwhile, so that its windows serve their drags.
    bool WaitForLine(const std::function<bool(const QString&)>& wanted, int ms) {
        size_t seen = 0;
        return QTest::qWaitFor(
            [&] {
                partial_ += QString::fromUtf8(process.readAllStandardOutput());
                for (qsizetype end; (end = partial_.indexOf('\n')) >= 0;
                     partial_.remove(0, end + 1)) {
                    lines.push_back(partial_.left(end));
                }
                for (; seen < lines.size(); ++seen) {
                    if (wanted(lines[seen])) {
                        return true;
                    }
                }
                return false;
            },
            ms);
    }
    void Drain() {
        WaitForLine([](const QString&) { return false; }, 0);
    }
    int Count(const QString& text) {
        Drain();
        return int(std::count_if(lines.begin(), lines.end(),
                                 [&](const QString& line) { return line.contains(text); }));
    }

    QProcess process;
    std::vector<QString> lines;

  private:
    QString partial_;
};

// A window of this process from which a file is dragged with the real pointer.
class DragSource : public QWidget {
  public:
    explicit DragSource(QString file) : file_(std::move(file)) {}
    bool dropped = false;

  protected:
    void mousePressEvent(QMouseEvent*) override {
        auto* drag = new QDrag(this);
        auto* data = new QMimeData;
        data->setUrls({QUrl::fromLocalFile(file_)});
        drag->setMimeData(data);
        drag->exec(Qt::CopyAction);
        dropped = true;
    }

  private:
    QString file_;
};

class DesktopTest : public ::testing::Test {
  protected:
    void SetUp() override {
        xvfb_.emplace(
            QStringLiteral("Xvfb"),
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

        camsim_.emplace(CAMSIM_PATH, QStringList{"--log"}, env_);
        ASSERT_TRUE(camsim_->WaitForLine([](const QString&) { return true; }, 5000));
        env_.insert("TAVIN_COM1", ComDevice(camsim_->lines.front()));
        program_.emplace(MORVA7E_PATH, QStringList{}, env_);

        // The start dialog opens on COM 1; back from there to OPEN and press it.
        const QString dialog = WaitForWindow("^Select Communication System$");
        ASSERT_FALSE(dialog.isEmpty()) << "no start dialog";
        Xdo({"windowfocus", "--sync", dialog});
        Xdo({"key", "--delay", "50", "shift+Tab", "shift+Tab", "space"});
        main_ = WaitForWindow(kTitle);
        ASSERT_FALSE(main_.isEmpty()) << "no main window";
        startupReads_ = camsim_->Count("host   read");
        ASSERT_GT(startupReads_, 40);
    }

    // The device COM 1 stands for: the simulated camera's pseudo-terminal itself.
    virtual QString ComDevice(const QString& pty) { return pty; }

    void TearDown() override {
        program_.reset();
        camsim_.reset();
        app_.reset();
    }

    // Runs xdotool on the test's display; its output.
    QString Xdo(const QStringList& args, int ms = 10000) {
        QProcess xdo;
        xdo.setProcessEnvironment(env_);
        xdo.start(QStringLiteral("xdotool"), args);
        if (!QTest::qWaitFor([&] { return xdo.state() == QProcess::NotRunning; }, ms)) {
            xdo.kill();
            xdo.waitForFinished();
        }
        return QString::fromUtf8(xdo.readAllStandardOutput()).trimmed();
    }

    QString WaitForWindow(const QString& name) {
        return Xdo({"search", "--sync", "--onlyvisible", "--name", name}).section('\n', 0, 0);
    }

    QPoint WindowOrigin(const QString& window) {
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

    // Visible windows captioned with the program's title other than the main window: its
    // message boxes.
    QStringList Boxes() {
        QStringList boxes = Xdo({"search", "--onlyvisible", "--name", kTitle}).split('\n');
        boxes.removeAll(main_);
        boxes.removeAll(QString());
        return boxes;
    }

    // Whether `window` is the error box the program shows for `text`: as big as the box this
    // process builds for it on the same display, and with the same pixels where the text is.
    bool ShowsMessage(const QString& window, const QString& text) {
        QMessageBox expected(QMessageBox::Critical, QStringLiteral("MORVA-7E"), text,
                             QMessageBox::Ok);
        expected.setAttribute(Qt::WA_DontShowOnScreen);
        expected.show();
        const QRect where = expected.findChild<QLabel*>("qt_msgbox_label")->geometry();
        const QPixmap shown = QApplication::primaryScreen()->grabWindow(window.toULongLong());
        return shown.size() == expected.size() &&
               shown.copy(where).toImage().convertToFormat(QImage::Format_RGB32) ==
                   expected.grab(where).toImage().convertToFormat(QImage::Format_RGB32);
    }

    // The middle of the right arrow of `slider`, as built by the program's own code in this
    // process, relative to the top-level window.
    static QPoint RightArrow(const QWidget& top, int sliderId) {
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

    QPoint PanelArrow(int sliderId) {
        testing::FakeCamera camera;
        CommandTable commands;
        CTAVINDoc document(camera);
        CMainFrame frame(kMorva7EEdition, false, commands, camera);
        frame.SetView(new CTAVINView(document, &frame));
        frame.setAttribute(Qt::WA_DontShowOnScreen);
        frame.show();
        return WindowOrigin(main_) + RightArrow(frame, sliderId);
    }

    QPoint CommandMenuArrow(const QString& window, int sliderId) {
        QDialog dialog;
        BuildDialog(dialog, CommandMenuDialogTemplate());
        return WindowOrigin(window) + RightArrow(dialog, sliderId);
    }

    void Camsim(const QString& command) {
        camsim_->process.write((command + "\n").toUtf8());
        ASSERT_TRUE(camsim_->WaitForLine([&](const QString& l) { return l == command; }, 5000))
            << command.toStdString();
    }

    void Click(QPoint at) {
        Xdo({"mousemove", "--sync", QString::number(at.x()), QString::number(at.y())});
        Xdo({"mousedown", "1"});
        Xdo({"mouseup", "1"});
    }

    // The one box a failed action may show: its text, the 4 ENQs of the failed write before it,
    // and after it is dismissed no other box and no more than `enqsAfter` ENQs on the line.
    void ExpectOneBoxAndQuiet(int enqBefore, int enqsAfter = 0,
                              const std::function<void()>& beforeDismissing = {}) {
        QString box;
        QElapsedTimer clock;
        clock.start();
        while ((box = Boxes().value(0)).isEmpty() && clock.elapsed() < kFailedWriteMs) {
            camsim_->WaitForLine([](const QString&) { return false; }, 100);
        }
        ASSERT_FALSE(box.isEmpty()) << "no error box";
        EXPECT_EQ(camsim_->Count(kEnq) - enqBefore, 4) << "ENQs before the box";
        EXPECT_TRUE(ShowsMessage(box, kTimeOut)) << "not the time-out message";
        if (beforeDismissing) {
            beforeDismissing();
        }
        const int enqAtDismissal = camsim_->Count(kEnq);
        Xdo({"windowfocus", "--sync", box});
        Xdo({"key", "Return"});
        QStringList boxes;
        int enqs = 0;
        for (clock.restart(); clock.elapsed() < kQuietMs && boxes.isEmpty() && enqs <= enqsAfter;) {
            camsim_->WaitForLine([](const QString&) { return false; }, 250);
            boxes = Boxes();
            boxes.removeAll(box);  // not unmapped yet
            enqs = camsim_->Count(kEnq) - enqAtDismissal;
        }
        EXPECT_EQ(boxes.size(), 0) << "box after box";
        EXPECT_EQ(enqs, enqsAfter) << "ENQs after the box";
    }

    // Read From Camera reads every item again once the camera answers.
    void ExpectReadAllWorks() {
        Xdo({"windowfocus", "--sync", main_});
        Xdo({"key", "ctrl+r"});
        int reads = 0;
        EXPECT_TRUE(camsim_->WaitForLine(
            [&](const QString& l) {
                return l.contains("host   read") && ++reads >= 2 * startupReads_;
            },
            10000));
        EXPECT_TRUE(Boxes().isEmpty());
    }

    QTemporaryDir profile_;
    int argc_ = 1;
    char name_[8] = "desktop";
    char* argv_[2] = {name_, nullptr};
    std::optional<Child> xvfb_;
    std::optional<QApplication> app_;
    std::optional<Child> camsim_;
    std::optional<Child> program_;
    QString display_;
    QProcessEnvironment env_;
    QString main_;
    int startupReads_ = 0;
};

TEST_F(DesktopTest, PanelSliderArrowOnASilentCameraGivesOneBox) {
    const QPoint arrow = PanelArrow(panel::kGainFineSlider);
    Camsim("fault silent");
    const int enq = camsim_->Count(kEnq);
    Click(arrow);
    ExpectOneBoxAndQuiet(enq);
    Camsim("fault none");
    ExpectReadAllWorks();
}

TEST_F(DesktopTest, CommandMenuSliderArrowOnASilentCameraGivesOneBox) {
    Xdo({"windowfocus", "--sync", main_});
    Xdo({"key", "ctrl+p"});
    const QString menu = WaitForWindow("^Command Menu$");
    ASSERT_FALSE(menu.isEmpty()) << "no Command Menu";
    const QPoint arrow = CommandMenuArrow(menu, CommandMenuSliderOf("VRG(FINE)"));
    Camsim("fault silent");
    const int enq = camsim_->Count(kEnq);
    Click(arrow);
    ExpectOneBoxAndQuiet(enq);
    Xdo({"windowfocus", "--sync", menu});
    Xdo({"key", "Escape"});
    Camsim("fault none");
    ExpectReadAllWorks();
}

TEST_F(DesktopTest, FileDroppedDuringAnExchangeDoesNotRunInsideIt) {
    const QString file = profile_.filePath("dropped.tvn");
    ASSERT_TRUE(QFile::copy(SAMPLE_TVN, file));
    DragSource source(file);
    source.setGeometry(900, 650, 80, 80);
    source.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&source));

    const QPoint arrow = PanelArrow(panel::kGainFineSlider);
    Camsim("fault silent");
    const int enq = camsim_->Count(kEnq);
    Click(arrow);
    int enqs = 0;
    ASSERT_TRUE(camsim_->WaitForLine(
        [&](const QString& l) { return l.contains(kEnq) && ++enqs > enq; }, 2000));
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
    // The camera is back before the box is dismissed; then the file loads, once, and nothing else
    // happens: one write for each of its 45 items.
    const size_t afterDrop = camsim_->lines.size();
    ExpectOneBoxAndQuiet(enq, 45, [this] { Camsim("fault none"); });
    std::set<QString> written;
    for (size_t i = afterDrop; i < camsim_->lines.size(); ++i) {
        if (camsim_->lines[i].contains("host   write") && camsim_->lines[i].endsWith("-> ACK")) {
            written.insert(camsim_->lines[i].section(" cmd ", 1).left(10));  // "02 item 34"
        }
    }
    EXPECT_EQ(written.size(), 45u) << "items written after the drop";
    ExpectReadAllWorks();
}

#ifdef SER2NET_PATH
// The same start-up with COM 1 across the network: Debian's ser2net serves the camera's
// pseudo-terminal on the loopback address, over RFC 2217 or as raw TCP.
class DesktopThroughSer2netTest : public DesktopTest,
                                  public ::testing::WithParamInterface<const char*> {
  protected:
    QString ComDevice(const QString& pty) override {
        const std::string scheme = GetParam();
        // Over RFC 2217 the line starts at the wrong speed, so only the program can set it right.
        const bool rfc2217 = scheme == "rfc2217";
        ser2net_.emplace(SER2NET_PATH, std::vector<testing::Ser2netServer::Connection>{
                                           {rfc2217 ? "telnet(rfc2217),tcp" : "tcp",
                                            pty.toStdString(), rfc2217 ? "1200n81" : "19200n82"}});
        return QString::fromStdString(ser2net_->Address(scheme));
    }

    void TearDown() override {
        DesktopTest::TearDown();
        ser2net_.reset();
    }

    std::optional<testing::Ser2netServer> ser2net_;
};

TEST_P(DesktopThroughSer2netTest, TheProgramStartsAndReadsEveryItemAcrossTheNetwork) {
    // SetUp has gone through the start dialog and seen the start-up read.
    EXPECT_EQ(startupReads_, 45);
    EXPECT_TRUE(Boxes().isEmpty());
    if (std::string_view(GetParam()) == "rfc2217") {
        EXPECT_GT(camsim_->Count("line 19200 8N2"), 0) << "the remote line was not set";
    }
    ExpectReadAllWorks();
}

INSTANTIATE_TEST_SUITE_P(Schemes, DesktopThroughSer2netTest, ::testing::Values("rfc2217", "tcp"));
#endif

}  // namespace
}  // namespace tavin
