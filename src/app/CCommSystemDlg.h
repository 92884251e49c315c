#pragma once

#include <QDialog>
#include <QString>

// "Select Communication System": the start dialog of the full program. The user picks an
// RS-232C port with its baud rate, or a Camera Link board by its maker (or a library file).
// The dialog only fills its fields; its caller opens the link.

namespace tavin {

class CCommSystemDlg : public QDialog {
    Q_OBJECT

  public:
    // Indexes of m_nSelection beyond the ten COM ports.
    static constexpr int kEeuresys = 10;
    static constexpr int kMatrox = 11;
    static constexpr int kOtherFactory = 12;

    explicit CCommSystemDlg(QWidget* parent = nullptr);

    // Runs the dialog until it is left; true when it was left with OPEN. Without an owner
    // window it is run modeless, so that the library file dialog leaves it usable.
    bool Run();

    bool m_bOpen = false;
    bool m_bBrowsing = false;
    int m_nMode = 0;  // 0: RS-232C port, 1: Camera Link board
    int m_nSelection = 0;
    int m_nBaudIndex = 0;
    QString m_strLibraryPath;

    void done(int result) override;

  protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void SetControlsFromFields();
    void ReadFieldsFromControls();
    void OnSelectPort();
    void OnSelectBoard(bool otherFactory);
    void OnBrowse();
    void OnOpen();
    void OnCancel();

    bool initialized_ = false;
};

}  // namespace tavin
