// Starts one of the programs as a user would (real data set and link, from TAVIN_COM1 or the
// Camera Link library) and saves pictures of its start dialog, main window and control panel.
// Used by scripts/screenshots.sh under a virtual X display.
//
//   tavin-screenshots morva-7e|tavin OUTPUT_DIR

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QScrollArea>
#include <QTimer>
#include <cstdio>

#include "CCommSystemDlg.h"
#include "CMainFrame.h"
#include "CTAVINApp.h"
#include "CTAVINDoc.h"
#include "CameraDataSet.h"
#include "DialogBuilder.h"
#include "LiveCameraAccess.h"

namespace {

bool Save(QWidget& window, const QString& path) {
    QApplication::processEvents();
    const bool saved = window.grab().save(path);
    std::printf("%s %s\n", saved ? "saved" : "FAILED", qPrintable(path));
    return saved;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s morva-7e|tavin OUTPUT_DIR\n", argv[0]);
        return 2;
    }
    const std::string program = argv[1];
    const tavin::Edition& edition =
        program == "tavin" ? tavin::kTavinEdition : tavin::kMorva7EEdition;
    tavin::SetCurrentEdition(edition);
    tavin::CameraDataSet data;
    tavin::LiveCameraAccess camera(data);
    QApplication application(argc, argv);
    const QString out =
        QDir(QString::fromLocal8Bit(argv[2])).filePath(QString::fromStdString(program));
    bool ok = true;
    tavin::CTAVINApp app(edition, camera, {QString::fromStdString(program)});
    if (edition.linkKind == tavin::LinkKind::PortOrLibrary) {
        QTimer::singleShot(0, [&] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                if (auto* dialog = qobject_cast<tavin::CCommSystemDlg*>(widget);
                    dialog && dialog->isVisible()) {
                    ok = Save(*dialog, out + "-start-dialog.png") && ok;
                    tavin::DialogItem<QAbstractButton>(*dialog, tavin::comm_system::kOpen)->click();
                }
            }
        });
    }
    if (!app.InitInstance()) {
        return 1;
    }
    app.MainFrame()->SetStatusText(QStringLiteral("Ready"));
    ok = Save(*app.MainFrame(), out + "-main-window.png") && ok;
    // The whole control panel form, also where the window shows only part of it.
    if (auto* view = app.MainFrame()->findChild<QScrollArea*>(QStringLiteral("CTAVINView"));
        view && view->widget()) {
        ok = Save(*view->widget(), out + "-control-panel.png") && ok;
    }
    app.Document().SetModifiedFlag(false);
    QTimer::singleShot(0, app.MainFrame(), &QWidget::close);
    app.Run();
    return ok ? 0 : 1;
}
