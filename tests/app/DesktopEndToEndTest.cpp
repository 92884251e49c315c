// The built morva-7e on a real X server against tavin-camsim failing on cue: one box per failed
// slider step, a file dropped during an exchange, and the start-up across the network.

#include <QFile>
#include <set>
#include <string_view>

#include "DesktopRig.h"
#include "templates/CommandMenuDialog.h"
#include "templates/Forms.h"

#ifdef SER2NET_PATH
#include "Ser2netServer.h"
#endif

namespace tavin::testing {
namespace {

int CommandMenuSliderOf(std::string_view title) {
    for (const CommandMenuRow& row : CommandMenuRows()) {
        if (title == row.title) {
            return row.sliderId;
        }
    }
    ADD_FAILURE() << "no Command Menu row " << title;
    return 0;
}

TEST_F(DesktopTest, PanelSliderArrowOnASilentCameraGivesOneBox) {
    StartMorva7E();
    const QPoint arrow = PanelArrow(panel::kGainFineSlider);
    CameraCommand("fault silent");
    const int enq = Enqs();
    Click(arrow);
    ExpectOneBoxAndQuiet(enq);
    CameraCommand("fault none");
    ExpectReadAllWorks();
}

TEST_F(DesktopTest, CommandMenuSliderArrowOnASilentCameraGivesOneBox) {
    StartMorva7E();
    Key(main_, {"ctrl+p"});
    const QString menu = WaitForWindow("^Command Menu$");
    ASSERT_FALSE(menu.isEmpty()) << "no Command Menu";
    const QPoint arrow = CommandMenuArrow(menu, CommandMenuSliderOf("VRG(FINE)"));
    CameraCommand("fault silent");
    const int enq = Enqs();
    Click(arrow);
    ExpectOneBoxAndQuiet(enq);
    Key(menu, {"Escape"});
    CameraCommand("fault none");
    ExpectReadAllWorks();
}

TEST_F(DesktopTest, FileDroppedDuringAnExchangeDoesNotRunInsideIt) {
    StartMorva7E();
    const QString file = profile_.filePath("dropped.tvn");
    ASSERT_TRUE(QFile::copy(SAMPLE_TVN, file));
    DragSource source(file);
    source.setGeometry(900, 650, 80, 80);
    source.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&source));

    // A slow camera: the write is waited for while the file arrives, and then goes through. It
    // writes the value the camera has, so the document stays unchanged and the file loads
    // without asking to save first.
    CameraCommand("fault no-frame-ack=1");
    const int enq = Enqs();
    Click(PanelControl(panel::kGain0dB));
    ASSERT_TRUE(camera_->WaitForCount("host   ENQ", enq + 1, 2000));
    DragOntoMainWindow(source);
    CameraCommand("fault none");
    // The file loads once the write has ended, once: one write for each of its 45 items.
    const size_t afterDrop = camera_->Lines().size();
    std::set<QString> written;
    ASSERT_TRUE(camera_->WaitForLine(
        [&, seen = size_t(0)](const QString& line) mutable {
            if (seen++ >= afterDrop && line.contains("host   write") && line.endsWith("-> ACK")) {
                written.insert(line.section(" cmd ", 1).left(10));  // "02 item 34"
            }
            return written.size() >= 45;
        },
        10000))
        << written.size() << " items written after the drop";
    EXPECT_TRUE(Boxes().isEmpty());
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
        ser2net_.emplace(SER2NET_PATH, std::vector<Ser2netServer::Connection>{
                                           {rfc2217 ? "telnet(rfc2217),tcp" : "tcp",
                                            pty.toStdString(), rfc2217 ? "1200n81" : "19200n82"}});
        return QString::fromStdString(ser2net_->Address(scheme));
    }

    void TearDown() override {
        DesktopTest::TearDown();
        ser2net_.reset();
    }

    std::optional<Ser2netServer> ser2net_;
};

TEST_P(DesktopThroughSer2netTest, TheProgramStartsAndReadsEveryItemAcrossTheNetwork) {
    StartMorva7E();
    EXPECT_EQ(startupReads_, 45);
    EXPECT_TRUE(Boxes().isEmpty());
    if (std::string_view(GetParam()) == "rfc2217") {
        EXPECT_GT(camera_->Count("line 19200 8N2"), 0) << "the remote line was not set";
    }
    ExpectReadAllWorks();
}

INSTANTIATE_TEST_SUITE_P(Schemes, DesktopThroughSer2netTest, ::testing::Values("rfc2217", "tcp"));
#endif

}  // namespace
}  // namespace tavin::testing
