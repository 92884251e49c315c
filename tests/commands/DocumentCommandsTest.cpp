// The Interface commands driven by their keys and menu entries, against the simulated camera.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QMenuBar>
#include <QTest>
#include <numeric>

#include "CSerialPortDlg.h"
#include "CommandIds.h"
#include "CommandRig.h"
#include "DialogBuilder.h"
#include "MenuBuilder.h"

namespace tavin {
namespace {

using testing::CommandRig;
using testing::WhenShown;
using testing::WireMessage;

constexpr int kGainFine = 9;
constexpr int kBlackLevel = 10;
constexpr int kIris = 32;
const QString kTimeOut =
    QStringLiteral("ERROR - Communication time out detected.\nCheck the connection.");

std::vector<int> ItemsUpTo(int last) {
    std::vector<int> items(last + 1);
    std::iota(items.begin(), items.end(), 0);
    return items;
}

bool AllReads(const std::vector<WireMessage>& messages) {
    return std::all_of(messages.begin(), messages.end(),
                       [](const WireMessage& m) { return m.IsRead(); });
}

// How a command is given: its key, or its menu entry.
struct Trigger {
    const char* name;
    Qt::Key key;  // with Ctrl; Qt::Key_unknown: the menu entry instead
    unsigned menuId;
};

void Give(CommandRig& rig, const Trigger& trigger) {
    if (trigger.key != Qt::Key_unknown) {
        QTest::keyClick(rig.frame.get(), trigger.key, Qt::ControlModifier);
    } else {
        QAction* entry = FindCommand(*rig.frame->menuBar(), trigger.menuId);
        ASSERT_NE(entry, nullptr);
        entry->trigger();
    }
}

TEST(DocumentCommands, ReadFetchesEveryItemMarksModifiedAndRefreshesThePanel) {
    for (const Trigger& trigger : {Trigger{"Ctrl+R", Qt::Key_R, 0},
                                   Trigger{"menu", Qt::Key_unknown, command::kReadFromCamera}}) {
        SCOPED_TRACE(trigger.name);
        CommandRig rig(kMorva7EEdition);
        rig.ShowFrame();
        rig.device->SetCameraValueOf(kGainFine, 40);
        rig.device->SetCameraValueOf(kIris, 7);

        Give(rig, trigger);
        const auto messages = rig.TakeMessages();
        EXPECT_EQ(CommandRig::ItemsOf(messages), ItemsUpTo(44));
        EXPECT_TRUE(AllReads(messages));
        EXPECT_EQ(rig.data->GetValue(kGainFine, false), 40);
        EXPECT_EQ(rig.data->GetValue(kIris, false), 7);
        EXPECT_TRUE(rig.document->IsModified());
        EXPECT_EQ(rig.refreshes, 1);
        EXPECT_EQ(rig.PanelGainFineText().trimmed(), QStringLiteral("40"));
        EXPECT_TRUE(rig.messages.requests.empty());

        // Nothing changed in the camera: still a complete read that marks the document.
        rig.document->SetModifiedFlag(false);
        Give(rig, trigger);
        EXPECT_EQ(rig.TakeMessages().size(), 45u);
        EXPECT_TRUE(rig.document->IsModified());
        EXPECT_EQ(rig.refreshes, 2);
    }
}

// Nothing of a read that broke off is kept: the panel, Save and Write To Camera go on with the
// last complete set, and the status bar says so until the next camera operation.
TEST(DocumentCommands, AReadThatBreaksOffKeepsTheLastCompleteSetAndSaysSo) {
    CommandRig rig(kMorva7EEdition);
    rig.ShowFrame();
    rig.device->SetCameraValueOf(kGainFine, 40);
    rig.device->SetCameraValueOf(kBlackLevel, 44);
    rig.device->SetCameraValueOf(kIris, 7);
    const QString panelBefore = rig.PanelGainFineText();
    rig.device->GoSilentFromEnq(kBlackLevel + 1);  // items 0 to 9 answer, 10 does not

    QTest::keyClick(rig.frame.get(), Qt::Key_R, Qt::ControlModifier);

    EXPECT_EQ(rig.messages.Texts(), QStringList{kTimeOut});
    for (const WireMessage& message : rig.TakeMessages()) {
        EXPECT_LE(CommandRig::ItemsOf({message}).front(), kBlackLevel);
    }
    EXPECT_EQ(rig.data->GetValue(kGainFine, false), 25) << "read before the failure";
    EXPECT_EQ(rig.data->GetValue(kBlackLevel, false), 25);
    EXPECT_EQ(rig.data->GetValue(kIris, false), 100);
    EXPECT_EQ(rig.refreshes, 0);
    EXPECT_EQ(rig.PanelGainFineText(), panelBefore);
    EXPECT_FALSE(rig.document->IsModified());
    EXPECT_EQ(rig.frame->IdleText(),
              "The camera's settings were not read; the panel shows the last complete set.");

    rig.device->GoSilentFromEnq(0);
    QTest::keyClick(rig.frame.get(), Qt::Key_W, Qt::ControlModifier);
    EXPECT_EQ(rig.device->CameraValueOf(kGainFine), 25) << "not the complete set written";
    EXPECT_EQ(rig.frame->IdleText(), "Ready");
}

// Reading and writing the whole camera count the items in the status bar, under the wait cursor.
TEST(DocumentCommands, WholeCameraTransfersShowTheirProgress) {
    CommandRig rig(kTavinEdition);
    rig.ShowFrame();
    std::vector<QString> shown;
    rig.device->onFrame = [&] {
        const QCursor* cursor = QApplication::overrideCursor();
        shown.push_back(rig.frame->MessagePaneText() +
                        (cursor && cursor->shape() == Qt::WaitCursor ? " (waiting)" : ""));
    };
    for (const auto& [key, text] : {std::pair{Qt::Key_R, "Reading item %1 of 45 from camera..."},
                                    std::pair{Qt::Key_W, "Sending item %1 of 45 to camera..."}}) {
        shown.clear();
        QTest::keyClick(rig.frame.get(), key, Qt::ControlModifier);
        ASSERT_EQ(shown.size(), 45u) << text;
        for (size_t place = 1; place <= 45; ++place) {
            EXPECT_EQ(shown[place - 1], QString(text).arg(place) + " (waiting)");
        }
    }
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(DocumentCommands, WriteSendsEveryItemAndLeavesFlagAndPanelAlone) {
    for (const Trigger& trigger : {Trigger{"Ctrl+W", Qt::Key_W, 0},
                                   Trigger{"menu", Qt::Key_unknown, command::kWriteToCamera}}) {
        for (const bool modified : {false, true}) {
            SCOPED_TRACE(std::string(trigger.name) + (modified ? " modified" : " clean"));
            CommandRig rig(kMorva7EEdition);
            rig.ShowFrame();
            rig.data->SetValue(kGainFine, 33, false);
            rig.document->SetModifiedFlag(modified);

            Give(rig, trigger);
            const auto messages = rig.TakeMessages();
            EXPECT_EQ(CommandRig::ItemsOf(messages), ItemsUpTo(44));
            EXPECT_TRUE(std::all_of(messages.begin(), messages.end(),
                                    [](const WireMessage& m) { return m.IsWrite(); }));
            EXPECT_EQ(rig.device->CameraValueOf(kGainFine), 33);
            EXPECT_EQ(rig.document->IsModified(), modified);
            EXPECT_EQ(rig.refreshes, 0);
            EXPECT_TRUE(rig.messages.requests.empty());
        }
    }
}

TEST(DocumentCommands, WriteFailingPartWayReportsOnceAndStops) {
    CommandRig rig(kMorva7EEdition);
    rig.ShowFrame();
    rig.device->GoSilentFromEnq(kBlackLevel + 1);
    QTest::keyClick(rig.frame.get(), Qt::Key_W, Qt::ControlModifier);
    EXPECT_EQ(rig.messages.Texts(), QStringList{kTimeOut});
    for (const WireMessage& message : rig.TakeMessages()) {
        EXPECT_LE(CommandRig::ItemsOf({message}).front(), kBlackLevel);
    }
}

// Works the port dialog: checks what it shows, then picks COM2 and OK, or cancels.
void AnswerPortDialog(bool accept) {
    WhenShown<CSerialPortDlg>([accept](CSerialPortDlg& dialog) {
        EXPECT_TRUE(DialogItem<QAbstractButton>(dialog, serial_port::kCom1)->isChecked())
            << "COM1, as open";
        EXPECT_TRUE(DialogItem<QAbstractButton>(dialog, serial_port::kBaud19200)->isChecked())
            << "19200, as open";
        if (!accept) {
            QTest::keyClick(&dialog, Qt::Key_Escape);
            return;
        }
        QTest::mouseClick(DialogItem<QAbstractButton>(dialog, serial_port::kCom2), Qt::LeftButton);
        QTest::mouseClick(DialogItem<QAbstractButton>(dialog, 1), Qt::LeftButton);
    });
}

TEST(DocumentCommands, PortSetupReopensWithTheChosenPortThenReadsEverything) {
    const struct {
        const char* name;
        bool developer;
        Qt::Key key;
        unsigned menuId;
    } cases[] = {
        {"Ctrl+L, menu entry trimmed away", false, Qt::Key_L, 0},
        {"menu entry", true, Qt::Key_unknown, command::kPortSetup},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CommandRig rig(kMorva7EEdition, c.developer);
        rig.ShowFrame();
        EXPECT_EQ(FindCommand(*rig.frame->menuBar(), command::kPortSetup) != nullptr, c.developer);
        rig.device->SetCameraValueOf(kGainFine, 12);

        AnswerPortDialog(true);
        Give(rig, {c.name, c.key, c.menuId});

        EXPECT_EQ(rig.data->GetPortNumber(), 2);
        EXPECT_EQ(rig.data->GetBaudRate(), 19200);
        EXPECT_TRUE(rig.data->IsPortOpen());
        const auto messages = rig.TakeMessages();
        EXPECT_EQ(messages.size(), 45u);
        EXPECT_TRUE(AllReads(messages));
        EXPECT_EQ(rig.refreshes, 1);
        EXPECT_EQ(rig.PanelGainFineText().trimmed(), QStringLiteral("12"));
        EXPECT_TRUE(rig.document->IsModified());
    }
}

TEST(DocumentCommands, CancelledPortSetupDoesNothing) {
    CommandRig rig(kMorva7EEdition);
    rig.ShowFrame();
    AnswerPortDialog(false);
    QTest::keyClick(rig.frame.get(), Qt::Key_L, Qt::ControlModifier);
    EXPECT_EQ(rig.data->GetPortNumber(), 1);
    EXPECT_TRUE(rig.TakeMessages().empty());
    EXPECT_EQ(rig.refreshes, 0);
    EXPECT_FALSE(rig.document->IsModified());
}

TEST(DocumentCommands, PortThatFailsToOpenIsReportedAndNotRead) {
    CommandRig rig(kMorva7EEdition);
    rig.ShowFrame();
    rig.device->RefuseOpen();
    AnswerPortDialog(true);
    QTest::keyClick(rig.frame.get(), Qt::Key_L, Qt::ControlModifier);
    EXPECT_EQ(rig.messages.Texts(),
              QStringList{QStringLiteral("ERROR - Can not open communciation port.")});
    EXPECT_FALSE(rig.data->IsPortOpen());
    EXPECT_TRUE(rig.TakeMessages().empty());
    EXPECT_EQ(rig.refreshes, 0);
    EXPECT_FALSE(rig.document->IsModified());
}

}  // namespace
}  // namespace tavin
