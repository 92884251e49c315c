// The simulated camera as the desktop tests see it: tavin-camsim as a child process, or the board
// library's log and control FIFO; and the small helpers around the programs.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDrag>
#include <QFile>
#include <QMimeData>
#include <QRegularExpression>
#include <QUrl>
#include <algorithm>

#include "DataFileCodec.h"
#include "DesktopRig.h"

namespace tavin::testing {

namespace {

// The monitor's own lines start with the time; anything else is the answer to a command (or the
// line settings a host set).
bool IsAnswer(const QString& line) {
    static const QRegularExpression monitor(QStringLiteral("^\\s*\\d+\\.\\d+  |^line "));
    return !monitor.match(line).hasMatch();
}

QString WaitForAnswer(LineLog& log, size_t from) {
    QString answer;
    log.WaitForLine(
        [&, seen = size_t(0)](const QString& line) mutable {
            if (seen++ < from || !IsAnswer(line)) {
                return false;
            }
            answer = line;
            return true;
        },
        5000);
    return answer;
}

class CamsimCamera final : public SimulatedCamera {
  public:
    CamsimCamera(const QProcessEnvironment& env, const QStringList& args)
        : child_(QStringLiteral(CAMSIM_PATH), QStringList{"--log"} + args, env) {
        log_ = &child_.out;
    }
    QString Device() {
        child_.out.WaitForLine([](const QString&) { return true; }, 5000);
        return child_.out.lines.empty() ? QString() : child_.out.lines.front();
    }
    QString Command(const QString& command) override {
        log_->Drain();
        const size_t from = log_->lines.size();
        child_.process.write((command + "\n").toUtf8());
        return WaitForAnswer(*log_, from);
    }

  private:
    Child child_;
};

class BoardCamera final : public SimulatedCamera {
  public:
    explicit BoardCamera(const QString& folder)
        : logPath_(folder + QStringLiteral("/board.log")),
          fifo_(folder + QStringLiteral("/board-control")),
          file_(logPath_),
          lines_([this] { return file_.readAll(); }) {
        QFile(logPath_).open(QIODevice::WriteOnly);
        file_.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
        log_ = &lines_;
    }
    void Prepare(QProcessEnvironment& env) const {
        env.insert("LD_LIBRARY_PATH", QStringLiteral(SIM_BOARD_DIR));
        env.insert("CLSERSIM_LOG", logPath_);
        env.insert("CLSERSIM_CONTROL", fifo_);
    }
    QString Command(const QString& command) override {
        // The library makes its FIFO when the program opens the board.
        struct stat st {};
        if (!QTest::qWaitFor(
                [&] { return stat(fifo_.toUtf8().constData(), &st) == 0 && S_ISFIFO(st.st_mode); },
                5000)) {
            return QStringLiteral("no control FIFO");
        }
        log_->Drain();
        const size_t from = log_->lines.size();
        const QByteArray line = (command + "\n").toUtf8();
        const int fd = open(fifo_.toUtf8().constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        const bool written = fd >= 0 && write(fd, line.constData(), line.size()) == line.size();
        if (fd >= 0) {
            close(fd);
        }
        return written ? WaitForAnswer(*log_, from) : QStringLiteral("FIFO not writable");
    }

  private:
    QString logPath_;
    QString fifo_;
    QFile file_;
    LineLog lines_;
};

}  // namespace

bool LineLog::WaitForLine(const std::function<bool(const QString&)>& wanted, int ms) {
    size_t seen = 0;
    return QTest::qWaitFor(
        [&] {
            Drain();
            for (; seen < lines.size(); ++seen) {
                if (wanted(lines[seen])) {
                    return true;
                }
            }
            return false;
        },
        ms);
}

void LineLog::Drain() {
    partial_ += QString::fromUtf8(readMore_());
    for (qsizetype end; (end = partial_.indexOf('\n')) >= 0; partial_.remove(0, end + 1)) {
        lines.push_back(partial_.left(end));
    }
}

int LineLog::Count(const QString& text) {
    Drain();
    return int(std::count_if(lines.begin(), lines.end(),
                             [&](const QString& line) { return line.contains(text); }));
}

Child::Child(const QString& program, const QStringList& args, const QProcessEnvironment& env) {
    process.setProgram(program);
    process.setArguments(args);
    process.setProcessEnvironment(env);
    process.start();
    if (!process.waitForStarted(5000)) {
        ADD_FAILURE() << "cannot start " << program.toStdString();
    }
}

Child::~Child() {
    if (process.state() != QProcess::NotRunning) {
        process.terminate();
        if (!process.waitForFinished(3000)) {
            process.kill();
            process.waitForFinished(3000);
        }
    }
}

bool SimulatedCamera::WaitForCount(const QString& text, int count, int ms) {
    int seen = 0;
    return count <= 0 ||
           WaitForLine([&](const QString& line) { return line.contains(text) && ++seen >= count; },
                       ms);
}

std::unique_ptr<SimulatedCamera> StartCamsim(const QProcessEnvironment& env,
                                             const QStringList& args, QString* device) {
    auto camera = std::make_unique<CamsimCamera>(env, args);
    *device = camera->Device();
    return camera;
}

std::unique_ptr<SimulatedCamera> PrepareBoard(const QString& folder, QProcessEnvironment& env) {
    auto board = std::make_unique<BoardCamera>(folder);
    board->Prepare(env);
    return board;
}

void DragSource::mousePressEvent(QMouseEvent*) {
    auto* drag = new QDrag(this);
    auto* data = new QMimeData;
    data->setUrls({QUrl::fromLocalFile(file_)});
    drag->setMimeData(data);
    drag->exec(Qt::CopyAction);
    dropped = true;
}

ItemValues ReadDataFileValues(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    const QByteArray bytes = file.readAll();
    const DataFileResult result = DecodeDataFile(
        std::span(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size())));
    EXPECT_EQ(result.status, DataFileStatus::Loaded) << path.toStdString();
    return result.values;
}

void WriteDataFile(const QString& path, const ItemValues& values) {
    const DataFileBytes bytes = EncodeDataFile(values);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
}

}  // namespace tavin::testing
