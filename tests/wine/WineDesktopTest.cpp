// The installed Windows programs under Wine on a virtual X display, driven by real keys and
// pointer (xdotool), against the simulated camera: morva-7e.exe on Wine's COM1, which points at
// tavin-camsim's pseudo-terminal, and tavin.exe through the simulated board DLL. What a Windows
// user sees is checked where the camera and the files see it: the start-up read, one write for
// one arrow click, and a saved file byte for byte as the Linux program saves it.
//
// tests/windows/test-installed.sh runs it after installing the setup program into a fresh Wine
// prefix, with these set (without them every case is skipped):
//   DISPLAY                 the X server the prefix's programs draw on
//   WINEPREFIX, TAVIN_WINE  the prefix and Wine's loader
//   TAVIN_WINE_INSTALL      the install folder, as a Linux path
//   TAVIN_WINE_COM1_LINK    the path Wine's COM1 names (HKLM\Software\Wine\Ports); pointed here
//                           at the camera's pseudo-terminal
//   TAVIN_WINE_PANEL_ARROW  panel_arrow.exe of the Windows build (tests/windows/qt)
//   TAVIN_WINE_SCREENSHOTS  where to save pictures of the programs (optional)
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>

#include "CTAVINDoc.h"
#include "CameraDataSet.h"
#include "Edition.h"
#include "LiveCameraAccess.h"
#include "templates/Forms.h"

namespace tavin {
namespace {

constexpr int kItemCount = 45;
const QString kRead = QStringLiteral("host   read");
const QString kWrite = QStringLiteral("host   write");

QString Env(const char* name) {
    return qEnvironmentVariable(name);
}

// A child process, stopped on the way out also when a test fails.
class Child {
  public:
    Child(const QString& program, const QStringList& args, const QProcessEnvironment& env,
          const QString& folder = {}) {
        process.setProgram(program);
        process.setArguments(args);
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(folder);
        process.start();
        if (!process.waitForStarted(5000)) {
            ADD_FAILURE() << "cannot start " << program.toStdString();
        }
    }
    ~Child() {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(5000);
        }
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    // Lines of standard output so far; waits up to `ms` for the first one that `wanted` accepts.
    bool WaitForLine(const std::function<bool(const QString&)>& wanted, int ms) {
        return QTest::qWaitFor(
            [&] {
                partial_ += QString::fromUtf8(process.readAllStandardOutput());
                for (qsizetype end; (end = partial_.indexOf('\n')) >= 0;
                     partial_.remove(0, end + 1)) {
                    lines.push_back(partial_.left(end));
                }
                for (; seen_ < lines.size(); ++seen_) {
                    if (wanted(lines[seen_])) {
                        ++seen_;
                        return true;
                    }
                }
                return false;
            },
            ms);
    }
    // The number of lines so far, all that has arrived included: where later counts start.
    size_t Mark() {
        WaitForLine([](const QString&) { return false; }, 0);
        return lines.size();
    }
    int Count(const QString& text, size_t from = 0) {
        WaitForLine([](const QString&) { return false; }, 0);
        int count = 0;
        for (size_t i = from; i < lines.size(); ++i) {
            count += lines[i].contains(text) ? 1 : 0;
        }
        return count;
    }
    // Waits until `count` more lines than at `from` contain `text`.
    bool WaitForCount(const QString& text, size_t from, int count, int ms) {
        return QTest::qWaitFor([&] { return Count(text, from) >= count; }, ms);
    }

    QProcess process;
    std::vector<QString> lines;

  private:
    QString partial_;
    size_t seen_ = 0;
};

// The seconds stamp at the start of a camera monitor line.
double Stamp(const QString& line) {
    return line.section(' ', 0, 0, QString::SectionSkipEmpty).toDouble();
}

class InstalledUnderWine : public ::testing::Test {
  protected:
    void SetUp() override {
        install_ = Env("TAVIN_WINE_INSTALL");
        if (install_.isEmpty() || Env("DISPLAY").isEmpty()) {
            GTEST_SKIP() << "no installed Windows programs (tests/windows/test-installed.sh)";
        }
        env_ = QProcessEnvironment::systemEnvironment();
        env_.insert("WINEDEBUG", "-all");
        qputenv("QT_QPA_PLATFORM", "xcb");
        app_.emplace(argc_, argv_);
    }

    void TearDown() override {
        program_.reset();
        camsim_.reset();
    }

    // The simulated camera on a pseudo-terminal, with Wine's COM1 pointing at it.
    void StartCamera() {
        // Paced as a real line at 19200 baud, so that the read time printed below means something.
        camsim_.emplace(CAMSIM_PATH, QStringList{"--log", "--baud", "19200"}, env_);
        ASSERT_TRUE(camsim_->WaitForLine([](const QString&) { return true; }, 5000));
        pty_ = camsim_->lines.front().toStdString();
        const std::filesystem::path link = Env("TAVIN_WINE_COM1_LINK").toStdString();
        std::filesystem::remove(link);
        std::filesystem::create_symlink(pty_, link);
    }

    void StartProgram(const QString& exe, const QString& folder = {}) {
        program_.emplace(Env("TAVIN_WINE"), QStringList{QDir(install_).filePath(exe)}, env_,
                         folder);
    }

    QString Xdo(const QStringList& args, int ms = 20000) {
        QProcess xdo;
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

    // The names of the windows on the screen, for a failure to say what was there instead.
    QString OnScreen() {
        QStringList names;
        for (const QString& id : Xdo({"search", "--onlyvisible", "--name", "."}).split('\n')) {
            if (!id.isEmpty()) {
                names << '"' + Xdo({"getwindowname", id}) + '"';
            }
        }
        return names.join(", ");
    }

    void Keys(const QString& window, const QStringList& keys) {
        Xdo({"windowfocus", "--sync", window});
        Xdo(QStringList{"key", "--delay", "80"} + keys);
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

    // The window's picture once it has stopped changing, saved where pictures go.
    void Screenshot(const QString& window, const QString& name) {
        const QString folder = Env("TAVIN_WINE_SCREENSHOTS");
        if (folder.isEmpty()) {
            return;
        }
        QScreen* screen = QApplication::primaryScreen();
        QImage shown;
        QImage last;
        // A caret may blink for ever: the picture is taken as it is after the wait either way.
        static_cast<void>(QTest::qWaitFor(
            [&] {
                last = shown;
                QTest::qWait(300);
                shown = screen->grabWindow(window.toULongLong()).toImage();
                return !shown.isNull() && shown == last;
            },
            5000));
        EXPECT_TRUE(shown.save(QDir(folder).filePath(name))) << name.toStdString();
    }

    // The Linux program's file of the camera as it is now: its document read from the camera
    // through the Linux link and saved.
    QByteArray LinuxProgramsFile() {
        ScopedEdition edition(kMorva7EEdition);
        qputenv("TAVIN_COM1", QByteArray::fromStdString(pty_));
        CameraDataSet data;
        LiveCameraAccess camera(data);
        EXPECT_EQ(camera.OpenSerialPort(1, 19200), 0);
        CTAVINDoc document(camera);
        EXPECT_GT(document.ReadCameraData(), 0);
        const QString path = scratch_.filePath("linux.tvn");
        EXPECT_TRUE(document.OnSaveDocument(path));
        camera.Close();
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // Where the panel's arrow is, as the Windows build lays it out in this prefix: the probe
    // runs from a folder laid out as the install folder, so it loads the same plugins (the
    // platform and the native look), and with the installed DLLs.
    QPoint PanelArrow(int sliderId) {
        const QDir probeDir(scratch_.filePath("probe"));
        for (const QString folder : {"platforms", "styles"}) {
            probeDir.mkpath(folder);
            const QDir from(install_ + "/" + folder);
            for (const QString& dll : from.entryList(QDir::Files)) {
                QFile::copy(from.filePath(dll), probeDir.filePath(folder + "/" + dll));
            }
        }
        const QString probe = probeDir.filePath("panel_arrow.exe");
        EXPECT_TRUE(QFile::copy(Env("TAVIN_WINE_PANEL_ARROW"), probe));
        QProcessEnvironment env = env_;
        env.insert("WINEPATH", QStringLiteral("Z:") + QString(install_).replace('/', '\\'));
        Child run(Env("TAVIN_WINE"), {probe, QString::number(sliderId)}, env);
        EXPECT_TRUE(run.WaitForLine([](const QString&) { return true; }, 30000));
        const QStringList xy = run.lines.empty() ? QStringList() : run.lines[0].split(' ');
        return xy.size() == 2 ? QPoint(xy[0].toInt(), xy[1].toInt()) : QPoint();
    }

    QString install_;
    QProcessEnvironment env_;
    QTemporaryDir scratch_;
    int argc_ = 1;
    char name_[8] = "wine";
    char* argv_[2] = {name_, nullptr};
    std::optional<QApplication> app_;
    std::optional<Child> camsim_;
    std::optional<Child> program_;
    std::string pty_;
};

TEST_F(InstalledUnderWine, Morva7EReadsTheCameraWritesOneClickAndSavesTheLinuxFile) {
    StartCamera();
    const QByteArray linuxFile = LinuxProgramsFile();
    ASSERT_FALSE(linuxFile.isEmpty());
    const QPoint arrow = PanelArrow(panel::kGainFineSlider);
    ASSERT_FALSE(arrow.isNull()) << "panel_arrow.exe gave no position";

    // Start: the start dialog opens on COM 1 with OPEN as its default button.
    const size_t beforeStart = camsim_->Mark();
    StartProgram("morva-7e.exe");
    const QString dialog = WaitForWindow("^Select Communication System$");
    ASSERT_FALSE(dialog.isEmpty()) << "no start dialog; on screen: " << OnScreen().toStdString();
    Screenshot(dialog, "morva-7e-windows-start-dialog.png");
    Keys(dialog, {"Return"});
    const QString main = WaitForWindow("^MORVA-7E$");
    ASSERT_FALSE(main.isEmpty()) << "no main window; on screen: " << OnScreen().toStdString();
    ASSERT_TRUE(camsim_->WaitForCount(kRead, beforeStart, kItemCount, 20000));
    std::vector<double> reads;
    for (size_t i = beforeStart; i < camsim_->lines.size(); ++i) {
        if (camsim_->lines[i].contains(kRead)) {
            reads.push_back(Stamp(camsim_->lines[i]));
        }
    }
    EXPECT_EQ(reads.size(), size_t(kItemCount)) << "reads at start";
    std::printf("start-up read under Wine: %zu items, first to last request %.3f s\n", reads.size(),
                reads.back() - reads.front());
    Screenshot(main, "morva-7e-windows-main-window.png");

    // File > Save As, a name typed into Windows' own dialog: the Linux program's bytes.
    const QString saved = scratch_.filePath("windows.tvn");
    Keys(main, {"alt+f", "a"});
    const QString saveAs = WaitForWindow("^Save As$");
    ASSERT_FALSE(saveAs.isEmpty()) << "no Save As dialog; on screen: " << OnScreen().toStdString();
    Xdo({"windowfocus", "--sync", saveAs});
    Xdo({"type", "--delay", "20", "Z:" + QString(saved).replace('/', '\\')});
    Xdo({"key", "Return"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(saved); }, 10000))
        << "nothing saved; on screen: " << OnScreen().toStdString();
    QFile file(saved);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), linuxFile) << "the saved file differs from the Linux program's";

    // One click on a slider arrow writes its item once: the reads of Read From Camera that
    // follow come after anything the click sent.
    const size_t beforeClick = camsim_->Mark();
    const QPoint at = WindowOrigin(main) + arrow;
    Xdo({"mousemove", "--sync", QString::number(at.x()), QString::number(at.y())});
    Xdo({"click", "1"});
    ASSERT_TRUE(camsim_->WaitForCount(kWrite, beforeClick, 1, 10000)) << "the click wrote nothing";
    Keys(main, {"ctrl+r"});
    ASSERT_TRUE(camsim_->WaitForCount(kRead, beforeClick, kItemCount, 20000));
    EXPECT_EQ(camsim_->Count(kWrite, beforeClick), 1) << "writes for one click";
}

TEST_F(InstalledUnderWine, TavinReadsThroughTheSimulatedBoardLibrary) {
    // The simulated board as clsermtx.dll in sim-board/, the program started from there.
    const QString log = scratch_.filePath("board.log");
    env_.insert("CLSERSIM_LOG", "Z:" + QString(log).replace('/', '\\'));
    StartProgram("tavin.exe", QDir(install_).filePath("sim-board"));
    const QString main = WaitForWindow("MORVA-7ECL for Meteor_2_CL$");
    ASSERT_FALSE(main.isEmpty()) << "no main window; on screen: " << OnScreen().toStdString();
    int reads = 0;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            QFile file(log);
            reads = file.open(QIODevice::ReadOnly) ? int(file.readAll().count(kRead.toUtf8())) : 0;
            return reads >= kItemCount;
        },
        20000));
    EXPECT_EQ(reads, kItemCount) << "reads at start";
    Screenshot(main, "tavin-windows-main-window.png");
}

}  // namespace
}  // namespace tavin
