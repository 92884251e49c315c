#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QShowEvent>
#include <QTest>

#include "CAboutDlg.h"
#include "CCommSystemDlg.h"
#include "CSerialPortDlg.h"
#include "DialogBuilder.h"
#include "GuiTestSupport.h"

namespace tavin {
namespace {

using testing::FileAnswers;
using testing::WhenShown;

QAbstractButton* Button(const QWidget& dialog, int id) {
    return DialogItem<QAbstractButton>(dialog, id);
}

void Click(const QWidget& dialog, int id) {
    QAbstractButton* button = Button(dialog, id);
    ASSERT_TRUE(button) << id;
    QTest::mouseClick(button, Qt::LeftButton);
}

// Runs the start dialog, doing `clicks` on it once it is shown.
void RunStartDialog(CCommSystemDlg& dialog, std::function<void(CCommSystemDlg&)> clicks) {
    WhenShown<CCommSystemDlg>(std::move(clicks));
    dialog.Run();
}

TEST(CommSystemDlg, OpenWithoutClicksChoosesCom1At19200) {
    CCommSystemDlg dialog;
    RunStartDialog(dialog, [](CCommSystemDlg& shown) {
        EXPECT_TRUE(Button(shown, comm_system::kFirstPort)->isChecked());
        EXPECT_TRUE(Button(shown, comm_system::kBaud19200)->isChecked());
        EXPECT_FALSE(DialogItem(shown, comm_system::kLibraryPath)->isEnabled());
        EXPECT_FALSE(DialogItem(shown, comm_system::kBrowse)->isEnabled());
        EXPECT_FALSE(DialogItem(shown, comm_system::kDllText)->isEnabled());
        Click(shown, comm_system::kOpen);
    });
    EXPECT_TRUE(dialog.m_bOpen);
    EXPECT_EQ(dialog.m_nMode, 0);
    EXPECT_EQ(dialog.m_nSelection, 0);
    EXPECT_EQ(dialog.m_nBaudIndex, 0);
}

TEST(CommSystemDlg, SelectionButtonsSetModeAndEnableTheirGroup) {
    struct Case {
        int button;
        int mode;
        int selection;
        bool baudEnabled;
        bool libraryEnabled;
    };
    const Case cases[] = {
        {comm_system::kFirstPort + 4, 0, 4, true, false},  // COM 5
        {comm_system::kFirstPort + 9, 0, 9, true, false},  // COM10
        {comm_system::kEeuresys, 1, 10, false, false},     // Eeuresys
        {comm_system::kMatrox, 1, 11, false, false},       // Matrox
        {comm_system::kOtherFactory, 1, 12, false, true},  // Other Factory
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        CCommSystemDlg dialog;
        RunStartDialog(dialog, [&c](CCommSystemDlg& shown) {
            Click(shown, comm_system::kOtherFactory);  // start from the library side, so both
                                                       // directions are seen
            Click(shown, c.button);
            for (int id :
                 {comm_system::kBaud19200, comm_system::kBaud9600, comm_system::kBaudBox}) {
                EXPECT_EQ(DialogItem(shown, id)->isEnabled(), c.baudEnabled) << id;
            }
            for (int id :
                 {comm_system::kLibraryPath, comm_system::kDllText, comm_system::kBrowse}) {
                EXPECT_EQ(DialogItem(shown, id)->isEnabled(), c.libraryEnabled) << id;
            }
            // One group: exactly one selection button is down.
            int checked = 0;
            for (int port = 0; port < 10; ++port) {
                checked += Button(shown, comm_system::kFirstPort + port)->isChecked() ? 1 : 0;
            }
            for (int id :
                 {comm_system::kEeuresys, comm_system::kMatrox, comm_system::kOtherFactory}) {
                checked += Button(shown, id)->isChecked() ? 1 : 0;
            }
            EXPECT_EQ(checked, 1);
            EXPECT_TRUE(Button(shown, comm_system::kBaud19200)->isChecked())
                << "the baud group is a group of its own";
            Click(shown, comm_system::kOpen);
        });
        EXPECT_EQ(dialog.m_nMode, c.mode);
        EXPECT_EQ(dialog.m_nSelection, c.selection);
    }
}

TEST(CommSystemDlg, TypedPathAndBaudAreTakenAsShown) {
    CCommSystemDlg dialog;
    RunStartDialog(dialog, [](CCommSystemDlg& shown) {
        Click(shown, comm_system::kOtherFactory);
        auto* path = DialogItem<QLineEdit>(shown, comm_system::kLibraryPath);
        QTest::keyClicks(path, QStringLiteral("/opt/boards/libclserxyz.so"));
        Click(shown,
              comm_system::kEeuresys);  // Eeuresys: the path stays in the field but is not used
        Click(shown, comm_system::kOtherFactory);
        Click(shown, comm_system::kOpen);
    });
    EXPECT_EQ(dialog.m_nMode, 1);
    EXPECT_EQ(dialog.m_nSelection, CCommSystemDlg::kOtherFactory);
    EXPECT_EQ(dialog.m_strLibraryPath, QStringLiteral("/opt/boards/libclserxyz.so"));

    CCommSystemDlg baud;
    RunStartDialog(baud, [](CCommSystemDlg& shown) {
        Click(shown, comm_system::kFirstPort + 3);
        Click(shown, comm_system::kBaud9600);
        EXPECT_EQ(Button(shown, comm_system::kBaud9600)->text(), QStringLiteral(" 9600"));
        Click(shown, comm_system::kOpen);
    });
    EXPECT_EQ(baud.m_nSelection, 3);
    EXPECT_EQ(baud.m_nBaudIndex, 1);
}

TEST(CommSystemDlg, CancelEscAndEnter) {
    CCommSystemDlg cancelled;
    RunStartDialog(cancelled, [](CCommSystemDlg& shown) { Click(shown, comm_system::kCancel); });
    EXPECT_FALSE(cancelled.m_bOpen);

    CCommSystemDlg escaped;
    RunStartDialog(escaped, [](CCommSystemDlg& shown) { QTest::keyClick(&shown, Qt::Key_Escape); });
    EXPECT_FALSE(escaped.m_bOpen);
    EXPECT_FALSE(escaped.isVisible());

    CCommSystemDlg entered;
    RunStartDialog(entered, [](CCommSystemDlg& shown) {
        Click(shown, comm_system::kMatrox);  // selected and focused: Enter is OPEN
        QTest::keyClick(&shown, Qt::Key_Return);
    });
    EXPECT_TRUE(entered.m_bOpen);
    EXPECT_EQ(entered.m_nSelection, CCommSystemDlg::kMatrox);
}

// Enter presses the push button that has the focus (a selection button that is not selected
// yet); minimising and restoring keeps the choice.
TEST(CommSystemDlg, EnterPressesTheFocusedButtonAndAShowEventKeepsTheChoice) {
    FileAnswers files({QString()});
    CCommSystemDlg dialog;
    RunStartDialog(dialog, [&files](CCommSystemDlg& shown) {
        for (int id :
             {comm_system::kOtherFactory, comm_system::kBrowse}) {  // "Other Factory", Browse
            DialogItem(shown, id)->setFocus();
            QTest::keyClick(&shown, Qt::Key_Return);
        }
        EXPECT_EQ(files.requests.size(), 1u);
        EXPECT_TRUE(Button(shown, comm_system::kOtherFactory)->isChecked());
        QTest::keyClicks(DialogItem(shown, comm_system::kLibraryPath), QStringLiteral("typed.so"));
        QShowEvent restored;
        QCoreApplication::sendEvent(&shown, &restored);
        EXPECT_TRUE(Button(shown, comm_system::kOtherFactory)->isChecked());
        EXPECT_EQ(DialogItem<QLineEdit>(shown, comm_system::kLibraryPath)->text(),
                  QStringLiteral("typed.so"));
        DialogItem(shown, comm_system::kCancel)->setFocus();  // CANCEL
        QTest::keyClick(&shown, Qt::Key_Return);
    });
    EXPECT_FALSE(dialog.m_bOpen);
    EXPECT_FALSE(dialog.isVisible());
}

TEST(CommSystemDlg, BrowseFillsThePathAndCancelKeepsTheStoredOne) {
    FileAnswers files({QStringLiteral("/lib/first.so"), QString()});
    CCommSystemDlg dialog;
    RunStartDialog(dialog, [&files](CCommSystemDlg& shown) {
        Click(shown, comm_system::kOtherFactory);
        auto* path = DialogItem<QLineEdit>(shown, comm_system::kLibraryPath);
        QTest::keyClicks(path, QStringLiteral("typed"));
        // Browse again while the file dialog is open does nothing.
        files.during = [&shown] { Click(shown, comm_system::kBrowse); };
        Click(shown, comm_system::kBrowse);
        files.during = nullptr;
        EXPECT_EQ(path->text(), QStringLiteral("/lib/first.so"));
        EXPECT_TRUE(Button(shown, comm_system::kOtherFactory)->isChecked());
        EXPECT_TRUE(path->isEnabled());

        QTest::keyClicks(path, QStringLiteral("-typed later"));
        Click(shown, comm_system::kBrowse);  // cancelled: the field shows the stored path again
        EXPECT_EQ(path->text(), QStringLiteral("/lib/first.so"));
        Click(shown, comm_system::kOpen);
    });
    ASSERT_EQ(files.requests.size(), 2u);
    EXPECT_EQ(files.requests[0].title, QStringLiteral("OPEN DLL FILE"));
    EXPECT_EQ(files.requests[0].filters.value(0), QStringLiteral("dll file (*.dll *.so)"));
    EXPECT_EQ(files.requests[0].filters.value(1), AllFilesFilter(QStringLiteral("all file")));
    EXPECT_EQ(dialog.m_nMode, 1);
    EXPECT_EQ(dialog.m_strLibraryPath, QStringLiteral("/lib/first.so"));
}

TEST(SerialPortDlg, ShowsPortAndRateAndReturnsTheChoice) {
    struct Case {
        int portIn, baudIn;
        int click;  // 0: none
        int portOut, baudOut;
    };
    const Case cases[] = {
        {0, 0, 0, 1, 9600},                        // before any COM request
        {5, 19200, 0, 1, 19200},                   // ports above 2 show COM1
        {2, 9600, 0, 2, 9600},                     //
        {1, 19200, serial_port::kCom2, 2, 19200},  // choose COM2
        {2, 4800, serial_port::kCom1, 1, 9600},    // any other rate shows and returns 9600
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.portIn);
        CSerialPortDlg dialog;
        dialog.m_nPort = c.portIn;
        dialog.m_nBaudRate = c.baudIn;
        WhenShown<CSerialPortDlg>([&c](CSerialPortDlg& shown) {
            EXPECT_FALSE(DialogItem(shown, serial_port::kBaud9600)->isEnabled());
            EXPECT_FALSE(DialogItem(shown, serial_port::kBaud19200)->isEnabled());
            if (c.click) {
                Click(shown, c.click);
            }
            QTest::keyClick(&shown, Qt::Key_Return);  // OK is the default button
        });
        EXPECT_EQ(dialog.exec(), QDialog::Accepted);
        EXPECT_EQ(dialog.m_nPort, c.portOut);
        EXPECT_EQ(dialog.m_nBaudRate, c.baudOut);
    }
}

TEST(SerialPortDlg, EnterOnCancelCancelsAndAShowEventKeepsTheChoice) {
    CSerialPortDlg dialog;
    WhenShown<CSerialPortDlg>([](CSerialPortDlg& shown) {
        Click(shown, serial_port::kCom2);
        QShowEvent restored;
        QCoreApplication::sendEvent(&shown, &restored);
        EXPECT_TRUE(Button(shown, serial_port::kCom2)->isChecked());
        DialogItem(shown, 2)->setFocus();
        QTest::keyClick(&shown, Qt::Key_Return);
    });
    EXPECT_EQ(dialog.exec(), QDialog::Rejected);
    EXPECT_EQ(dialog.m_nPort, 1);
}

TEST(SerialPortDlg, CancelKeepsTheFields) {
    CSerialPortDlg dialog;
    dialog.m_nPort = 7;
    dialog.m_nBaudRate = 0;
    WhenShown<CSerialPortDlg>([](CSerialPortDlg& shown) {
        Click(shown, serial_port::kCom2);
        Click(shown, 2);
    });
    EXPECT_EQ(dialog.exec(), QDialog::Rejected);
    EXPECT_EQ(dialog.m_nPort, 7);
    EXPECT_EQ(dialog.m_nBaudRate, 0);
}

TEST(DialogBuilder, DialogUnitsFollowTheFont) {
    QFont small = QApplication::font();
    small.setPointSize(8);
    QFont large = small;
    large.setPointSize(16);
    const DialogUnits a = DialogUnitsOf(small);
    const DialogUnits b = DialogUnitsOf(large);
    EXPECT_GT(b.baseX, a.baseX * 1.5);
    EXPECT_GT(b.baseY, a.baseY * 1.5);
    const QRect r = ToPixels({6, 16}, 4, 8, 40, 16);
    EXPECT_EQ(r, QRect(6, 16, 60, 32));
    // With fractional units, controls that meet in dialog units still meet on screen.
    const DialogUnits fractional{6.41, 12.28};
    EXPECT_EQ(ToPixels(fractional, 9, 8, 40, 12).right() + 1,
              ToPixels(fractional, 49, 8, 40, 12).left());
    EXPECT_EQ(ToPixels(fractional, 9, 8, 40, 12).bottom() + 1,
              ToPixels(fractional, 9, 20, 40, 12).top());
}

}  // namespace
}  // namespace tavin

namespace tavin {
namespace {

TEST(AboutDlg, CaptionAndVersionOfEachProgram) {
    struct Case {
        const Edition* edition;
        const char* caption;
        const char* programLine;
    };
    const Case cases[] = {{&kMorva7EEdition, "About MORVA-7E", "MORVA-7E Version 1.1"},
                          {&kTavinEdition, "About MORVA-7ECL", "MORVA-7ECL Version 1.0"}};
    for (const Case& c : cases) {
        ScopedEdition edition(*c.edition);
        CAboutDlg about;
        EXPECT_EQ(about.windowTitle(), QString::fromUtf8(c.caption));
        EXPECT_EQ(DialogItem<QLabel>(about, about::kProgramLine)->text(),
                  QString::fromUtf8(c.programLine));
        EXPECT_TRUE(DialogItem<QLabel>(about, about::kRightsLine)->text().startsWith("Copyright"));
        EXPECT_FALSE(DialogItem<QLabel>(about, about::kBuildLine)->text().isEmpty());
        WhenShown<CAboutDlg>([](CAboutDlg& shown) {
            QTest::mouseClick(DialogItem<QAbstractButton>(shown, 1), Qt::LeftButton);
        });
        EXPECT_EQ(about.exec(), QDialog::Accepted);
    }
}

}  // namespace
}  // namespace tavin
