#include "CSerialPortDlg.h"

#include <QAbstractButton>

#include "DialogBuilder.h"
#include "DialogKeys.h"
#include "PortToolTips.h"

namespace tavin {

using namespace serial_port;

CSerialPortDlg::CSerialPortDlg(QWidget* parent) : QDialog(parent) {
    BuildDialog(*this, SerialPortDialogTemplate());
    ShowPortDevice(*DialogItem(*this, kCom1), 1);
    ShowPortDevice(*DialogItem(*this, kCom2), 2);
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
    if (!PressButtonForEnter(*this, *event, *DialogItem<QAbstractButton>(*this, kIdOk))) {
        QDialog::keyPressEvent(event);
    }
}

void CSerialPortDlg::accept() {
    m_nPort = DialogItem<QAbstractButton>(*this, kCom2)->isChecked() ? 2 : 1;
    m_nBaudRate = DialogItem<QAbstractButton>(*this, kBaud19200)->isChecked() ? 19200 : 9600;
    QDialog::accept();
}

}  // namespace tavin
