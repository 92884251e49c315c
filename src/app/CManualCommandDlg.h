#pragma once

#include <QDialog>

class QLineEdit;

// "Manual Command": the developer types the text of one protocol message; Send frames it and
// waits for the camera's acknowledgements, Read also waits for the camera's reply and shows its
// six characters. Failures are reported with the link's error message and leave the dialog open.

namespace tavin {

class CameraAccess;

class CManualCommandDlg : public QDialog {
    Q_OBJECT

  public:
    explicit CManualCommandDlg(CameraAccess& camera, QWidget* parent = nullptr);

    void OnSend();
    void OnRead();

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    // The transmission field's text, one byte per character shown, so the protocol's length
    // limit counts what the user sees.
    QByteArray MessageText() const;

    CameraAccess& camera_;
    QLineEdit* transmission_;
    QLineEdit* received_;
};

}  // namespace tavin
