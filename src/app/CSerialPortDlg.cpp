#include "CSerialPortDlg.h"

#include <QAbstractButton>

#include "DialogBuilder.h"
#include "DialogKeys.h"

namespace tavin {

namespace {
constexpr int kCom1 = 1100;
constexpr int kCom2 = 1101;
constexpr int kBaud9600 = 1102;
constexpr int kBaud19200 = 1103;
constexpr int kOk = 1;
}  // namespace

CSerialPortDlg::CSerialPortDlg(QWidget* parent) : QDialog(parent) {
    BuildDialog(*this, SerialPortDialogTemplate());
}

void CSerialPortDlg::showEvent(QShowEvent* event) {
    // Once, when the dialog opens: restoring it after minimising keeps the user's choice.
    if (!initialized_) {
        initialized_ = true;
        DialogItem<QAbstractButton>(*this, m_nPort == 2 ? kCom2 : kCom1)->setChecked(true);
        DialogItem<QAbstractButton>(*this, m_nBaudRate == 19200 ? kBaud19200 : kBaud9600)
            ->setChecked(true);
    }
    QDialog::showEvent(event);
}

void CSerialPortDlg::keyPressEvent(QKeyEvent* event) {
    if (!PressButtonForEnter(*this, *event, *DialogItem<QAbstractButton>(*this, kOk))) {
        QDialog::keyPressEvent(event);
    }
}

void CSerialPortDlg::accept() {
    m_nPort = DialogItem<QAbstractButton>(*this, kCom2)->isChecked() ? 2 : 1;
    m_nBaudRate = DialogItem<QAbstractButton>(*this, kBaud19200)->isChecked() ? 19200 : 9600;
    QDialog::accept();
}

}  // namespace tavin
