#pragma once

// The built programs on a real X server (Xvfb), driven by real keys and pointer (xdotool),
// against the simulated camera failing on cue: tavin-camsim on a pseudo-terminal for morva-7e,
// the simulated board library inside the process for tavin. What only a real display shows is
// tested this way: a modal box takes the mouse release away from a pressed scroll-bar arrow, a
// file dropped from another program or a close arrives while a camera exchange waits, a key
// typed before a question appeared.
//
// The programs are the ones this build made; TAVIN_DESKTOP_PROGRAMS names another folder with a
// morva-7e and a tavin, to see a test fail on an older build.

#include <gtest/gtest.h>

#include <QApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "CameraItemTable.h"
#include "Edition.h"

namespace tavin::testing {

// Lines as a program writes them, read as they come. Waiting handles this process's events, so
// that its windows serve their drags meanwhile.
class LineLog {
  public:
    explicit LineLog(std::function<QByteArray()> readMore) : readMore_(std::move(readMore)) {}

    // Waits up to `ms` for a line from the next one not yet seen on that `wanted` accepts.
    bool WaitForLine(const std::function<bool(const QString&)>& wanted, int ms);
    void Drain();
    int Count(const QString& text);

    std::vector<QString> lines;

  private:
    std::function<QByteArray()> readMore_;
    QString partial_;
    size_t seen_ = 0;
};

// A child process, stopped on the way out also when a test fails: politely first, so that Xvfb
// removes its lock file.
class Child {
  public:
    Child(const QString& program, const QStringList& args, const QProcessEnvironment& env);
    ~Child();
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    QProcess process;
    LineLog out{[this] { return process.readAllStandardOutput(); }};
};

// The simulated camera: its monitor's lines, and the commands that make it fail on cue.
class SimulatedCamera {
  public:
    virtual ~SimulatedCamera() = default;

    // Runs a control command ("fault silent", "load F.tvn") and returns its answer.
    virtual QString Command(const QString& command) = 0;

    bool WaitForLine(const std::function<bool(const QString&)>& wanted, int ms) {
        return log_->WaitForLine(wanted, ms);
    }
    int Count(const QString& text) { return log_->Count(text); }
    const std::vector<QString>& Lines() {
        log_->Drain();
        return log_->lines;
    }
    // Waits until `count` lines in all contain `text`.
    bool WaitForCount(const QString& text, int count, int ms);

  protected:
    LineLog* log_ = nullptr;
};

// tavin-camsim on a pseudo-terminal; `device` gets the terminal the program opens as COM 1.
std::unique_ptr<SimulatedCamera> StartCamsim(const QProcessEnvironment& env,
                                             const QStringList& args, QString* device);
// The simulated board library in the program's process: what `env` gets to load it with its log
// and control FIFO in `folder`.
std::unique_ptr<SimulatedCamera> PrepareBoard(const QString& folder, QProcessEnvironment& env);

// A window of this process from which a file is dragged with the real pointer.
class DragSource : public QWidget {
  public:
    explicit DragSource(QString file) : file_(std::move(file)) {}
    bool dropped = false;

  protected:
    void mousePressEvent(QMouseEvent*) override;

  private:
    QString file_;
};

// A data file's 46 values, camera form; and writing such a file.
ItemValues ReadDataFileValues(const QString& path);
void WriteDataFile(const QString& path, const ItemValues& values);

class DesktopTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // morva-7e on the simulated camera's pseudo-terminal, through its start dialog, with `args`
    // on its command line; waits for the main window and the start-up transfer.
    void StartMorva7E(const QStringList& args = {}, const QStringList& camsimArgs = {});
    // tavin on the simulated board; waits for the main window and the start-up read.
    void StartTavin();
    // The device COM 1 stands for: the simulated camera's pseudo-terminal itself.
    virtual QString ComDevice(const QString& pty) { return pty; }

    // Runs xdotool on the test's display; its output.
    QString Xdo(const QStringList& args, int ms = 10000);
    QString WaitForWindow(const QString& name);
    QPoint WindowOrigin(const QString& window);
    // Visible windows captioned with the program's title alone, other than the main window: its
    // message boxes and prompts.
    QStringList Boxes();
    // Waits up to `ms` for a box; its window id, or empty.
    QString WaitForBox(int ms);
    // Whether `window` is the error box the program shows for `text`: as big as the box this
    // process builds for it on the same display, and with the same pixels where the text is.
    bool ShowsMessage(const QString& window, const QString& text);

    // Screen positions in the main window of a panel control's middle and of a slider's right
    // arrow, as built by the program's own code in this process.
    QPoint PanelControl(int controlId);
    QPoint PanelArrow(int sliderId);
    QPoint CommandMenuArrow(const QString& window, int sliderId);

    void Click(QPoint at);
    void Key(const QString& window, const QStringList& keys);
    // Asks the window to close, as the window manager does for the close box or Alt+F4.
    void RequestClose(const QString& window);
    // Drags `file` from a window of this process onto the main window with the real pointer.
    void DragOntoMainWindow(DragSource& source);

    // Sends a command to the camera and checks its answer.
    void CameraCommand(const QString& command, const QString& answer = {});
    int Enqs();
    // The one box a failed action may show: the time-out text, the 4 ENQs of the failed exchange
    // before it; after Enter dismisses it no other box and no more than `enqsAfter` ENQs for
    // `quietMs`. `beforeDismissing` runs while the box is up.
    void ExpectOneBoxAndQuiet(int enqBefore, int enqsAfter = 0,
                              const std::function<void()>& beforeDismissing = {},
                              int quietMs = 10000);
    // Read From Camera reads every item again once the camera answers.
    void ExpectReadAllWorks();

    const Edition* edition_ = &kMorva7EEdition;
    QTemporaryDir profile_;
    QString display_;
    QProcessEnvironment env_;
    std::unique_ptr<SimulatedCamera> camera_;
    std::optional<Child> program_;
    QString main_;
    int startupReads_ = 0;

  private:
    void StartProgram(const QString& name, const QStringList& args);
    QPoint OnMainWindow(const std::function<QPoint(QWidget& frame)>& where);

    int argc_ = 1;
    char name_[8] = "desktop";
    char* argv_[2] = {name_, nullptr};
    std::optional<Child> xvfb_;
    std::optional<QApplication> app_;
};

}  // namespace tavin::testing
