#include "CCommSystemDlg.h"

#include <QAbstractButton>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLineEdit>

#include "DialogBuilder.h"
#include "DialogKeys.h"
#include "FileDialogs.h"

namespace tavin {

namespace {

constexpr int kFirstPort = 1119;  // "COM 1" to "COM10": 1119 to 1128
constexpr int kEeuresysButton = 1106;
constexpr int kMatroxButton = 1107;
constexpr int kOtherButton = 1108;
constexpr int kPathField = 1109;
constexpr int kBrowse = 2110;
constexpr int kBaud19200 = 1116;
constexpr int kBaud9600 = 1129;
constexpr int kOpen = 1111;
constexpr int kCancel = 1112;
constexpr int kDllText = 1113;
constexpr int kBaudBox = 1130;

// Selection index -> button id.
int SelectionButton(int selection) {
    if (selection >= 0 && selection < 10) {
        return kFirstPort + selection;
    }
    switch (selection) {
        case CCommSystemDlg::kEeuresys:
            return kEeuresysButton;
        case CCommSystemDlg::kMatrox:
            return kMatroxButton;
        default:
            return kOtherButton;
    }
}

}  // namespace

CCommSystemDlg::CCommSystemDlg(QWidget* parent) : QDialog(parent) {
    BuildDialog(*this, CommSystemDialogTemplate());
    for (int i = 0; i < 10; ++i) {
        connect(DialogItem<QAbstractButton>(*this, kFirstPort + i), &QAbstractButton::clicked, this,
                &CCommSystemDlg::OnSelectPort);
    }
    connect(DialogItem<QAbstractButton>(*this, kEeuresysButton), &QAbstractButton::clicked, this,
            [this] { OnSelectBoard(false); });
    connect(DialogItem<QAbstractButton>(*this, kMatroxButton), &QAbstractButton::clicked, this,
            [this] { OnSelectBoard(false); });
    connect(DialogItem<QAbstractButton>(*this, kOtherButton), &QAbstractButton::clicked, this,
            [this] { OnSelectBoard(true); });
    connect(DialogItem<QAbstractButton>(*this, kBrowse), &QAbstractButton::clicked, this,
            &CCommSystemDlg::OnBrowse);
    connect(DialogItem<QAbstractButton>(*this, kOpen), &QAbstractButton::clicked, this,
            &CCommSystemDlg::OnOpen);
    connect(DialogItem<QAbstractButton>(*this, kCancel), &QAbstractButton::clicked, this,
            &CCommSystemDlg::OnCancel);
}

bool CCommSystemDlg::Run() {
    if (parentWidget()) {
        exec();
    } else {
        QEventLoop loop;
        connect(this, &QDialog::finished, &loop, &QEventLoop::quit);
        show();
        loop.exec();
    }
    return m_bOpen;
}

void CCommSystemDlg::showEvent(QShowEvent* event) {
    // Once, when the dialog opens: restoring it after minimising keeps the user's choice.
    if (!initialized_) {
        initialized_ = true;
        SetControlsFromFields();
    }
    QDialog::showEvent(event);
}

void CCommSystemDlg::keyPressEvent(QKeyEvent* event) {
    // Enter is OPEN unless a button has the focus; Esc cancels as the dialog's default handling
    // does.
    if (!PressButtonForEnter(*this, *event, *DialogItem<QAbstractButton>(*this, kOpen))) {
        QDialog::keyPressEvent(event);
    }
}

void CCommSystemDlg::SetControlsFromFields() {
    DialogItem<QAbstractButton>(*this, SelectionButton(m_nSelection))->setChecked(true);
    DialogItem<QAbstractButton>(*this, m_nBaudIndex != 0 ? kBaud9600 : kBaud19200)
        ->setChecked(true);
    DialogItem<QLineEdit>(*this, kPathField)->setText(m_strLibraryPath);
}

void CCommSystemDlg::ReadFieldsFromControls() {
    m_nSelection = 0;
    for (int selection = 0; selection <= kOtherFactory; ++selection) {
        if (DialogItem<QAbstractButton>(*this, SelectionButton(selection))->isChecked()) {
            m_nSelection = selection;
        }
    }
    m_nBaudIndex = DialogItem<QAbstractButton>(*this, kBaud9600)->isChecked() ? 1 : 0;
    m_strLibraryPath = DialogItem<QLineEdit>(*this, kPathField)->text();
}

void CCommSystemDlg::OnSelectPort() {
    for (int id : {kBaud19200, kBaud9600, kBaudBox}) {
        DialogItem(*this, id)->setEnabled(true);
    }
    for (int id : {kPathField, kDllText, kBrowse}) {
        DialogItem(*this, id)->setEnabled(false);
    }
    m_nMode = 0;
}

void CCommSystemDlg::OnSelectBoard(bool otherFactory) {
    for (int id : {kBaud19200, kBaud9600, kBaudBox}) {
        DialogItem(*this, id)->setEnabled(false);
    }
    for (int id : {kPathField, kDllText, kBrowse}) {
        DialogItem(*this, id)->setEnabled(otherFactory);
    }
    m_nMode = 1;
}

void CCommSystemDlg::OnBrowse() {
    if (m_bBrowsing) {
        return;
    }
    m_bBrowsing = true;
    FileRequest request;
    request.title = QStringLiteral("OPEN DLL FILE");
    // The board makers' libraries are shared objects here; the filter shows both kinds.
    request.filters = {QStringLiteral("dll file (*.dll *.so)"),
                       AllFilesFilter(QStringLiteral("all file"))};
    request.defaultSuffix = QStringLiteral("dll");
    const QString chosen = AskFileName(request, nullptr);
    if (!m_bBrowsing) {
        return;  // the dialog was left while the file dialog was open
    }
    if (!chosen.isEmpty()) {
        m_strLibraryPath = chosen;
    }
    m_bBrowsing = false;
    SetControlsFromFields();
    // The refresh selects the button of the stored selection; keep showing "Other Factory",
    // which is what OPEN will use.
    if (m_nMode == 1) {
        DialogItem<QAbstractButton>(*this, kOtherButton)->setChecked(true);
    }
}

void CCommSystemDlg::OnOpen() {
    m_bOpen = true;
    ReadFieldsFromControls();
    accept();
}

void CCommSystemDlg::OnCancel() {
    m_bOpen = false;
    reject();
}

void CCommSystemDlg::done(int result) {
    m_bBrowsing = false;
    QDialog::done(result);
}

}  // namespace tavin
