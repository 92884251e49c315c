// The built programs on a real X server where a camera stops answering part way through: nothing
// half-read is saved, the loop test stops at its first failed step, nothing asked for during the
// failed wait runs afterwards and no key typed before a question answers it, and a file the camera
// took only in part leaves the camera's settings to be saved.

#include <sys/stat.h>

#include <QElapsedTimer>
#include <QFile>

#include "DesktopRig.h"
#include "templates/Forms.h"

namespace tavin::testing {
namespace {

using namespace panel;

const QString kSilentEnq = QStringLiteral("ENQ  -> nothing");
const QString kTimeOut =
    QStringLiteral("ERROR - Communication time out detected.\nCheck the connection.");
// Each exchange takes a few tens of milliseconds, so that "fault silent" lands part way through a
// transfer of the whole camera.
const QStringList kPacedCamera = {"--turnaround", "20"};

// The file's inode: a save replaces the file with a new one.
ino_t Inode(const QString& path) {
    struct stat st {};
    return stat(path.toUtf8().constData(), &st) == 0 ? st.st_ino : 0;
}

// `values` with a changed value at items read or written early and late in a transfer.
ItemValues OtherSet(ItemValues values) {
    for (int index : {0, 9, 10, 11, 33, 42, 43}) {
        values[index] = values[index] == 0 ? 1 : values[index] - 1;
    }
    return values;
}

class DesktopFailureTest : public DesktopTest {
  protected:
    int SilentEnqs() { return camera_->Count(kSilentEnq); }

    // The error box of a failed exchange: four unanswered ENQs since `silentBefore`, the time-out
    // text.
    QString ExpectTimeOutBox(int silentBefore) {
        const QString box = WaitForBox(8000);
        EXPECT_FALSE(box.isEmpty()) << "no error box";
        EXPECT_EQ(SilentEnqs() - silentBefore, 4) << "unanswered ENQs before the box";
        EXPECT_TRUE(box.isEmpty() || ShowsMessage(box, kTimeOut)) << "not the time-out message";
        return box;
    }

    // Watches for `ms`: no box but those `allowed`, and no exchange started.
    void ExpectNothingFollows(const QStringList& allowed, int ms) {
        const int enqs = Enqs();
        QStringList boxes;
        QElapsedTimer clock;
        for (clock.start(); clock.elapsed() < ms && boxes.isEmpty() && Enqs() == enqs;) {
            camera_->WaitForLine([](const QString&) { return false; }, 200);
            boxes = Boxes();
            for (const QString& box : allowed) {
                boxes.removeAll(box);
            }
        }
        EXPECT_EQ(boxes.size(), 0) << "a box or prompt followed";
        EXPECT_EQ(Enqs() - enqs, 0) << "an exchange followed";
    }

    // A prompt other than `previous`, once it is up.
    QString WaitForPrompt(const QString& previous) {
        QString prompt;
        (void)QTest::qWaitFor(
            [&] {
                QStringList boxes = Boxes();
                boxes.removeAll(previous);
                prompt = boxes.value(0);
                return !prompt.isEmpty();
            },
            5000);
        return prompt;
    }

    bool WaitForExit() {
        return QTest::qWaitFor([&] { return program_->process.state() == QProcess::NotRunning; },
                               5000);
    }
};

TEST_F(DesktopFailureTest, ASaveAfterAReadThatBrokeOffWritesTheLastCompleteSet) {
    // The program holds set A, saved as S.tvn; the camera then holds set B.
    const QString saved = profile_.filePath("S.tvn");
    const QString other = profile_.filePath("B.tvn");
    ASSERT_TRUE(QFile::copy(SAMPLE_TVN, saved));
    const ItemValues a = ReadDataFileValues(saved);
    WriteDataFile(other, OtherSet(a));
    StartMorva7E({saved}, kPacedCamera);
    CameraCommand("load " + other, "loaded " + other);

    const int reads = camera_->Count("host   read");
    Key(main_, {"ctrl+r"});
    ASSERT_TRUE(camera_->WaitForCount("host   read", reads + 20, 10000));
    CameraCommand("fault silent");
    const QString box = ExpectTimeOutBox(0);
    const int read = camera_->Count("host   read") - reads;
    EXPECT_LT(read, 45) << "the read was not cut short";
    Key(box, {"Return"});
    ExpectNothingFollows({box}, 1000);

    const ino_t before = Inode(saved);
    Key(main_, {"ctrl+s"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return Inode(saved) != before; }, 5000)) << "not saved";
    const ItemValues written = ReadDataFileValues(saved);
    for (int index = 0; index < kCameraItemCount; ++index) {
        EXPECT_EQ(written[index], a[index]) << "item " << index << " of " << read << " read";
    }
}

TEST_F(DesktopFailureTest, TheLoopTestStopsAtTheFirstStepTheCameraDoesNotTake) {
    StartTavin();
    const QPoint fdOff = PanelControl(kFdOff);
    Click(PanelControl(kCountStart));
    // Three steps go through; a click during the run; then the camera stops answering.
    ASSERT_TRUE(camera_->WaitForCount("host   write", 3, 8000));
    Click(fdOff);
    CameraCommand("fault silent");
    // While the failing step waits, the window is asked to close.
    ASSERT_TRUE(camera_->WaitForCount(kSilentEnq, 1, 3000));
    RequestClose(main_);
    const QString box = ExpectTimeOutBox(0);
    ASSERT_FALSE(box.isEmpty());
    const int enqs = Enqs();

    // Enter twice at once: the second key is made before the save prompt of the close exists.
    Xdo({"windowfocus", "--sync", box});
    Xdo({"key", "--delay", "0", "Return", "Return"});
    const QString prompt = WaitForPrompt(box);
    ASSERT_FALSE(prompt.isEmpty()) << "the close was lost";
    // Time for the early key to reach the prompt, were it to answer it.
    ExpectNothingFollows({box, prompt}, 1000);
    EXPECT_TRUE(Boxes().contains(prompt)) << "a key typed before the prompt answered it";
    EXPECT_EQ(Enqs(), enqs) << "the run went on, or the click was acted on";

    Key(prompt, {"n"});
    ASSERT_TRUE(WaitForExit()) << "the window did not close";
    EXPECT_EQ(program_->process.exitCode(), 0);
}

TEST_F(DesktopFailureTest, RequestsMadeWhileTheCameraDidNotAnswerAreDropped) {
    const QString document = profile_.filePath("doc.tvn");
    const QString dropped = profile_.filePath("dropped.tvn");
    ASSERT_TRUE(QFile::copy(SAMPLE_TVN, document));
    ASSERT_TRUE(QFile::copy(SAMPLE_TVN, dropped));
    DragSource source(dropped);
    source.setGeometry(900, 650, 80, 80);
    source.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&source));
    StartMorva7E({document});
    // A change: the document is modified.
    Click(PanelControl(kGain6dB));
    ASSERT_TRUE(camera_->WaitForCount("host   write", 46, 5000));
    const ItemValues content = ReadDataFileValues(document);
    const ino_t before = Inode(document);

    CameraCommand("fault silent");
    Click(PanelControl(kGain12dB));
    ASSERT_TRUE(camera_->WaitForCount(kSilentEnq, 1, 2000));
    DragOntoMainWindow(source);
    Key(main_, {"ctrl+w"});  // Write To Camera, held back while the write waits
    const QString box = ExpectTimeOutBox(0);
    ASSERT_FALSE(box.isEmpty());
    // Enter, and Enter again 120 ms later as a hurried user does. Were the open queued by the drop
    // to run, it would ask "Save changes?" in between, and the second key would say Yes to it.
    Xdo({"windowfocus", "--sync", box});
    Xdo({"key", "--delay", "120", "Return", "Return"});
    ExpectNothingFollows({box}, 3000);
    EXPECT_EQ(Inode(document), before) << "the document's file was overwritten";
    EXPECT_EQ(ReadDataFileValues(document), content);
}

TEST_F(DesktopFailureTest, AFileTheCameraTookInPartLeavesTheCamerasSettingsToSave) {
    const QString file = profile_.filePath("B.tvn");
    const QString saved = profile_.filePath("camera.tvn");
    const ItemValues a = ReadDataFileValues(SAMPLE_TVN);
    const ItemValues b = OtherSet(a);
    WriteDataFile(file, b);
    DragSource source(file);
    source.setGeometry(900, 650, 80, 80);
    source.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&source));
    StartMorva7E({}, QStringList{"--state", SAMPLE_TVN} + kPacedCamera);

    const size_t start = camera_->Lines().size();
    DragOntoMainWindow(source);
    ASSERT_TRUE(camera_->WaitForCount("host   write", 20, 10000));
    CameraCommand("fault silent");
    const QString box = ExpectTimeOutBox(0);
    ASSERT_FALSE(box.isEmpty());
    Key(box, {"Return"});
    ExpectNothingFollows({box}, 1000);
    // The camera took the items it acknowledged, in index order.
    int taken = 0;
    const std::vector<QString>& lines = camera_->Lines();
    for (size_t i = start; i < lines.size(); ++i) {
        taken += lines[i].contains("host   write") && lines[i].endsWith("-> ACK") ? 1 : 0;
    }
    ASSERT_GT(taken, 0);
    ASSERT_LT(taken, 45);

    // Closing asks to save, and the settings go to a file of their own.
    RequestClose(main_);
    const QString prompt = WaitForPrompt(box);
    ASSERT_FALSE(prompt.isEmpty()) << "closing did not ask to save";
    Key(prompt, {"y"});
    const QString dialog = WaitForWindow("^Save As$");
    ASSERT_FALSE(dialog.isEmpty()) << "no Save As dialog";
    Xdo({"windowfocus", "--sync", dialog});
    Xdo({"type", saved});
    Xdo({"key", "Return"});
    ASSERT_TRUE(WaitForExit());
    const ItemValues written = ReadDataFileValues(saved);
    for (int index = 0; index < 45; ++index) {
        EXPECT_EQ(written[index], index < taken ? b[index] : a[index])
            << "item " << index << ", " << taken << " taken";
    }
}

}  // namespace
}  // namespace tavin::testing
