#pragma once

#include <QDialog>

// "Serial Port Selection": COM1 or COM2; the baud rate is shown but cannot be changed.

namespace tavin {

class CSerialPortDlg : public QDialog {
    Q_OBJECT

  public:
    explicit CSerialPortDlg(QWidget* parent = nullptr);

    int m_nPort = 1;
    int m_nBaudRate = 9600;

    void accept() override;

  protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    bool initialized_ = false;
};

}  // namespace tavin
