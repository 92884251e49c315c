#include "CCommSystemDlg.h"

#include <QAbstractButton>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLineEdit>

#include "DialogBuilder.h"
#include "DialogKeys.h"
#include "FileDialogs.h"
#include "PortToolTips.h"

namespace tavin {

namespace {

// Selection index -> button id.
int SelectionButton(int selection) {
    if (selection >= 0 && selection < 10) {
        return comm_system::kFirstPort + selection;
    }
    switch (selection) {
        case CCommSystemDlg::kEeuresys:
            return comm_system::kEeuresys;
        case CCommSystemDlg::kMatrox:
            return comm_system::kMatrox;
        default:
            return comm_system::kOtherFactory;
    }
}

}  // namespace

CCommSystemDlg::CCommSystemDlg(QWidget* parent) : QDialog(parent) {
    BuildDialog(*this, CommSystemDialogTemplate());
    for (int i = 0; i < 10; ++i) {
        auto* port = DialogItem<QAbstractButton>(*this, comm_system::kFirstPort + i);
        connect(port, &QAbstractButton::clicked, this, &CCommSystemDlg::OnSelectPort);
        ShowPortDevice(*port, i + 1);
    }
    connect(DialogItem<QAbstractButton>(*this, comm_system::kEeuresys), &QAbstractButton::clicked,
            this, [this] { OnSelectBoard(false); });
    connect(DialogItem<QAbstractButton>(*this, comm_system::kMatrox), &QAbstractButton::clicked,
            this, [this] { OnSelectBoard(false); });
    connect(DialogItem<QAbstractButton>(*this, comm_system::kOtherFactory),
            &QAbstractButton::clicked, this, [this] { OnSelectBoard(true); });
    connect(DialogItem<QAbstractButton>(*this, comm_system::kBrowse), &QAbstractButton::clicked,
            this, &CCommSystemDlg::OnBrowse);
    connect(DialogItem<QAbstractButton>(*this, comm_system::kOpen), &QAbstractButton::clicked, this,
            &CCommSystemDlg::OnOpen);
    connect(DialogItem<QAbstractButton>(*this, comm_system::kCancel), &QAbstractButton::clicked,
            this, &CCommSystemDlg::OnCancel);
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
    if (!PressButtonForEnter(*this, *event,
                             *DialogItem<QAbstractButton>(*this, comm_system::kOpen))) {
        QDialog::keyPressEvent(event);
    }
}

void CCommSystemDlg::SetControlsFromFields() {
    DialogItem<QAbstractButton>(*this, SelectionButton(m_nSelection))->setChecked(true);
    DialogItem<QAbstractButton>(
        *this, m_nBaudIndex != 0 ? comm_system::kBaud9600 : comm_system::kBaud19200)
        ->setChecked(true);
    DialogItem<QLineEdit>(*this, comm_system::kLibraryPath)->setText(m_strLibraryPath);
}

void CCommSystemDlg::ReadFieldsFromControls() {
    m_nSelection = 0;
    for (int selection = 0; selection <= kOtherFactory; ++selection) {
        if (DialogItem<QAbstractButton>(*this, SelectionButton(selection))->isChecked()) {
            m_nSelection = selection;
        }
    }
    m_nBaudIndex = DialogItem<QAbstractButton>(*this, comm_system::kBaud9600)->isChecked() ? 1 : 0;
    m_strLibraryPath = DialogItem<QLineEdit>(*this, comm_system::kLibraryPath)->text();
}

void CCommSystemDlg::OnSelectPort() {
    for (int id : {comm_system::kBaud19200, comm_system::kBaud9600, comm_system::kBaudBox}) {
        DialogItem(*this, id)->setEnabled(true);
    }
    for (int id : {comm_system::kLibraryPath, comm_system::kDllText, comm_system::kBrowse}) {
        DialogItem(*this, id)->setEnabled(false);
    }
    m_nMode = 0;
}

void CCommSystemDlg::OnSelectBoard(bool otherFactory) {
    for (int id : {comm_system::kBaud19200, comm_system::kBaud9600, comm_system::kBaudBox}) {
        DialogItem(*this, id)->setEnabled(false);
    }
    for (int id : {comm_system::kLibraryPath, comm_system::kDllText, comm_system::kBrowse}) {
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
        DialogItem<QAbstractButton>(*this, comm_system::kOtherFactory)->setChecked(true);
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
