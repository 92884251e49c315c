// The full program on the simulated camera behind a pseudo-terminal: the real data set and link,
// started as a user starts it.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QAbstractButton>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include "CCommSystemDlg.h"
#include "CMainFrame.h"
#include "CTAVINApp.h"
#include "CTAVINDoc.h"
#include "CameraDataSet.h"
#include "DialogBuilder.h"
#include "DocumentManager.h"
#include "GuiTestSupport.h"
#include "LiveCameraAccess.h"
#include "PtyCameraServer.h"

namespace tavin {
namespace {

using testing::FileAnswers;
using testing::MessageRecorder;
using testing::WhenShown;

class LineCounter {
  public:
    std::function<void(const std::string&)> Sink() {
        return [this](const std::string& line) {
            std::lock_guard lock(mutex_);
            reads_ += line.find("host   read ") != std::string::npos ? 1 : 0;
            writes_ += line.find("host   write ") != std::string::npos ? 1 : 0;
        };
    }
    int Reads() const {
        std::lock_guard lock(mutex_);
        return reads_;
    }
    int Writes() const {
        std::lock_guard lock(mutex_);
        return writes_;
    }

  private:
    mutable std::mutex mutex_;
    int reads_ = 0;
    int writes_ = 0;
};

TEST(ProgramEndToEnd, OpenReadSaveReopenAndClose) {
    ScopedEdition edition(kMorva7EEdition);
    LineCounter lines;
    sim::ServerOptions options;
    options.monitor = lines.Sink();
    sim::PtyCameraServer server(std::move(options));
    setenv("TAVIN_COM1", server.DevicePath().c_str(), 1);

    MessageRecorder messages;
    QTemporaryDir dir;
    const QString path = dir.filePath("camera.tvn");
    int exitCode = -1;
    {
        CameraDataSet data;
        LiveCameraAccess camera(data);
        CTAVINApp app(kMorva7EEdition, camera, {"morva-7e"});
        WhenShown<CCommSystemDlg>([](CCommSystemDlg& dialog) {
            QTest::mouseClick(DialogItem<QAbstractButton>(dialog, comm_system::kOpen),
                              Qt::LeftButton);
        });
        ASSERT_TRUE(app.InitInstance());
        EXPECT_EQ(lines.Reads(), 45) << "one exchange per readable item";
        EXPECT_EQ(lines.Writes(), 0);
        EXPECT_EQ(app.MainFrame()->PortPaneText(), QStringLiteral("COM1"));

        FileAnswers files({path});
        ASSERT_TRUE(app.Documents().OnFileSaveAs());
        EXPECT_EQ(QFileInfo(path).size(), 208);
        EXPECT_EQ(lines.Reads() + lines.Writes(), 45) << "saving sends nothing";

        ASSERT_TRUE(app.Documents().OpenDocumentFile(path));
        EXPECT_EQ(lines.Writes(), 45) << "one exchange per writable item";
        // The load counted its items in the status bar; idle, it says "Ready" again.
        EXPECT_TRUE(testing::RunEventLoopUntil([&] {
            return app.MainFrame()->MessagePaneText() == QStringLiteral("Ready");
        })) << app.MainFrame()->MessagePaneText().toStdString();

        QTimer::singleShot(0, app.MainFrame(), &QWidget::close);
        exitCode = app.Run();
    }
    unsetenv("TAVIN_COM1");
    EXPECT_EQ(exitCode, 0);
    EXPECT_TRUE(messages.requests.empty()) << messages.Texts().join("; ").toStdString();
}

}  // namespace
}  // namespace tavin
