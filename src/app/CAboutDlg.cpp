#include "CAboutDlg.h"

#include <QLabel>

#include "DialogBuilder.h"

namespace tavin {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    BuildDialog(*this, AboutDialogTemplate(CurrentEdition().kind));
    DialogItem<QLabel>(*this, about::kBuildLine)
        ->setText(QStringLiteral("Built with Qt %1 (running %2)").arg(QT_VERSION_STR, qVersion()));
}

}  // namespace tavin
