// The manual command dialog: what typed texts put on the wire, what replies it shows, and the
// full read that follows it.

#include <gtest/gtest.h>

#include <QAction>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>

#include "CManualCommandDlg.h"
#include "CommandIds.h"
#include "CommandRig.h"
#include "DialogBuilder.h"
#include "MenuBuilder.h"
#include "templates/ManualCommandDialog.h"

namespace tavin {
namespace {

using testing::CommandRig;
using testing::WhenShown;

using namespace manual;
constexpr int kGainFine = 9;

const QString kTooLong = QStringLiteral("ERROR - Illegal message size of transmission data. ");

class ManualCommandDlgTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
        rig.TakeMessages();
    }

    QLineEdit& Field(int id) { return *DialogItem<QLineEdit>(dialog, id); }
    void Click(int id) { QTest::mouseClick(DialogItem<QPushButton>(dialog, id), Qt::LeftButton); }
    void Type(const QString& text) {
        Field(kTransmission).clear();
        QTest::keyClicks(&Field(kTransmission), text);
    }

    CommandRig rig{kMorva7EEdition};
    CManualCommandDlg dialog{*rig.camera, rig.frame.get()};
};

TEST_F(ManualCommandDlgTest, EmptyTextStillGoesOutFramedWithItsChecksum) {
    rig.device->wire.clear();
    Click(kSend);
    const std::vector<uint8_t> frame{0x02, 0x03, 'F', 'A'};
    const auto& wire = rig.device->wire;
    ASSERT_GE(wire.size(), 5u);
    EXPECT_EQ(wire.front(), 0x05) << "announced by ENQ";
    EXPECT_EQ(std::vector<uint8_t>(wire.begin() + 1, wire.begin() + 5), frame);
    // The camera takes no empty message: refused, retried, then reported once.
    EXPECT_EQ(rig.messages.requests.size(), 1u);
    EXPECT_TRUE(rig.messages.Texts().value(0).startsWith(QStringLiteral("ERROR - ")));
    EXPECT_TRUE(dialog.isVisible()) << "a failure leaves the dialog open";
}

TEST_F(ManualCommandDlgTest, TypedLettersBecomeCapitalsAndAreSentSo) {
    Type(QStringLiteral("01ff0118280000"));
    EXPECT_EQ(Field(kTransmission).text(), QStringLiteral("01FF0118280000"));
    Click(kSend);
    EXPECT_EQ(rig.TakeMessages().back().text, "01FF0118280000");
    EXPECT_EQ(rig.device->CameraValueOf(kGainFine), 0x28);
    EXPECT_TRUE(rig.messages.requests.empty());
    EXPECT_EQ(Field(kTransmission).text(), QStringLiteral("01FF0118280000")) << "kept for again";
}

TEST_F(ManualCommandDlgTest, ReadShowsTheSixCharactersOfTheReply) {
    rig.device->SetCameraValueOf(kGainFine, 0x2A);
    Type(QStringLiteral("01FF0318000000"));
    Click(kRead);
    EXPECT_EQ(Field(kReceived).text(), QStringLiteral("2A0000"));
    EXPECT_TRUE(Field(kReceived).isReadOnly());
    EXPECT_TRUE(rig.messages.requests.empty());
}

TEST_F(ManualCommandDlgTest, TooLongTextReportsTheSizeErrorAndClearsTheReply) {
    Type(QStringLiteral("01FF0318000000"));
    Click(kRead);
    ASSERT_FALSE(Field(kReceived).text().isEmpty());
    rig.TakeMessages();

    const QString text23 = QStringLiteral("01FF0318000000123456789");
    Type(text23);
    ASSERT_EQ(Field(kTransmission).text(), text23) << "23 characters fit the field";
    for (int button : {kRead, kSend}) {
        rig.messages.requests.clear();
        Click(button);
        EXPECT_EQ(rig.messages.Texts(), QStringList{kTooLong});
        EXPECT_TRUE(Field(kReceived).text().isEmpty());
    }
    EXPECT_TRUE(rig.TakeMessages().empty()) << "nothing went out";

    Type(QStringLiteral("01FF031800000012345678"));  // 22: the longest the camera takes
    rig.messages.requests.clear();
    Click(kSend);
    EXPECT_FALSE(rig.messages.Texts().contains(kTooLong));
}

TEST_F(ManualCommandDlgTest, TransmissionFieldTakesOnlyWhatItCanShow) {
    QLineEdit& field = Field(kTransmission);
    Type(QString(80, QLatin1Char('W')));
    EXPECT_GT(field.text().size(), 10);
    EXPECT_LT(field.text().size(), 80);
    EXPECT_LE(field.fontMetrics().horizontalAdvance(field.text()), field.contentsRect().width());
}

TEST_F(ManualCommandDlgTest, FocusStartsOnExitAndEnterInEitherFieldClosesTheDialog) {
    EXPECT_EQ(dialog.focusWidget(), DialogItem<QPushButton>(dialog, kExit));
    for (const QPushButton* button : dialog.findChildren<QPushButton*>()) {
        EXPECT_FALSE(button->isDefault()) << button->objectName().toStdString();
    }
    for (int field : {kTransmission, kReceived}) {
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
        Field(field).setFocus();
        QTest::keyClick(&Field(field), Qt::Key_Return);
        EXPECT_FALSE(dialog.isVisible()) << field;
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    }
    EXPECT_TRUE(rig.TakeMessages().empty()) << "Enter sends nothing";
}

TEST(ManualCommand, LeavingTheDialogAlwaysReadsTheCamera) {
    const struct {
        const char* name;
        std::function<void(CManualCommandDlg&)> leave;
        const char* panelShows;
    } cases[] = {
        {"Exit at once",
         [](CManualCommandDlg& d) {
             QTest::mouseClick(DialogItem<QPushButton>(d, kExit), Qt::LeftButton);
         },
         "25"},
        {"Escape", [](CManualCommandDlg& d) { QTest::keyClick(&d, Qt::Key_Escape); }, "25"},
        {"close box after a send",
         [](CManualCommandDlg& d) {
             QTest::keyClicks(DialogItem<QLineEdit>(d, kTransmission), "01ff0118110000");
             QTest::mouseClick(DialogItem<QPushButton>(d, kSend), Qt::LeftButton);
             d.close();
         },
         "17"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CommandRig rig(kMorva7EEdition);
        rig.ShowFrame();
        WhenShown<CManualCommandDlg>(c.leave);
        FindCommand(*rig.frame->menuBar(), command::kManualCommand)->trigger();
        auto messages = rig.TakeMessages();
        if (!messages.empty() && !messages.front().IsRead()) {
            messages.erase(messages.begin());  // the typed message
        }
        EXPECT_EQ(messages.size(), 45u);
        EXPECT_EQ(rig.refreshes, 1);
        EXPECT_EQ(rig.PanelGainFineText().trimmed(), QString::fromUtf8(c.panelShows));
        EXPECT_TRUE(rig.document->IsModified());
    }
}

}  // namespace
}  // namespace tavin
