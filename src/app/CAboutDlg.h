#pragma once

#include <QDialog>

// The About box: program name and version, rights notice, build.

namespace tavin {

class CAboutDlg : public QDialog {
    Q_OBJECT

  public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};

}  // namespace tavin
