// The RS-232C program started as a user starts it, its COM 1 the simulated camera served by
// ser2net over RFC 2217: the start-up read through the network must save the same bytes as
// one over the camera's own pseudo-terminal.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <mutex>

#include "CCommSystemDlg.h"
#include "CTAVINApp.h"
#include "CameraDataSet.h"
#include "DialogBuilder.h"
#include "DocumentManager.h"
#include "GuiTestSupport.h"
#include "LiveCameraAccess.h"
#include "PtyCameraServer.h"
#include "Ser2netServer.h"

namespace tavin {
namespace {

// Starts the program with COM 1 at `device`, lets its start-up read run and saves the result.
QByteArray StartUpReadAndSave(const std::string& device, const QString& path) {
    ::setenv("TAVIN_COM1", device.c_str(), 1);
    testing::MessageRecorder messages;
    {
        CameraDataSet data;
        LiveCameraAccess camera(data);
        CTAVINApp app(kMorva7EEdition, camera, {"morva-7e"});
        testing::WhenShown<CCommSystemDlg>([](CCommSystemDlg& dialog) {
            QTest::mouseClick(DialogItem<QAbstractButton>(dialog, comm_system::kOpen),
                              Qt::LeftButton);
        });
        EXPECT_TRUE(app.InitInstance());
        testing::FileAnswers files({path});
        EXPECT_TRUE(app.Documents().OnFileSaveAs());
    }
    ::unsetenv("TAVIN_COM1");
    EXPECT_TRUE(messages.requests.empty()) << messages.Texts().join("; ").toStdString();
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(Ser2netProgram, StartUpReadsEveryItemThroughRfc2217) {
    ScopedEdition edition(kMorva7EEdition);
    std::mutex mutex;
    int exchanges = 0;
    sim::ServerOptions options;
    options.settings.Set(sim::CommandGroup::First, 0x0A, 37);  // not a factory value
    options.monitor = [&](const std::string& line) {
        std::lock_guard lock(mutex);
        exchanges += line.find("host   read ") != std::string::npos ? 1 : 0;
    };
    sim::PtyCameraServer camera(std::move(options));

    QTemporaryDir dir;
    const testing::Ser2netServer ser2net(SER2NET_PATH,
                                         {{"telnet(rfc2217),tcp", camera.DevicePath(), "9600n81"}});

    const QByteArray remote =
        StartUpReadAndSave(ser2net.Address("rfc2217"), dir.filePath("remote.tvn"));
    {
        std::lock_guard lock(mutex);
        EXPECT_EQ(exchanges, 45) << "one exchange per readable item";
    }
    const QByteArray local = StartUpReadAndSave(camera.DevicePath(), dir.filePath("local.tvn"));
    EXPECT_EQ(remote.size(), 208);
    EXPECT_EQ(remote, local);
}

}  // namespace
}  // namespace tavin
