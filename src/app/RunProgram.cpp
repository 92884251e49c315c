#include <QApplication>

#include "CTAVINApp.h"
#include "CameraDataSet.h"
#include "LiveCameraAccess.h"
#include "StringIds.h"
#include "StringTable.h"

namespace tavin {

int RunProgram(const Edition& edition, int argc, char** argv) {
    SetCurrentEdition(edition);
    // The data set outlives the application object, which stores the link's port number when
    // it ends; the data set's own end then closes the link.
    CameraDataSet cameraData;
    if (edition.linkKind == LinkKind::SingleLibrary) {
        cameraData.UseSingleLibrary(edition.singleLibraryName);
    }
    LiveCameraAccess camera(cameraData);
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(LoadText(string_id::kAppTitle)));
    QApplication::setOrganizationName(QString::fromUtf8(LoadText(string_id::kCompany)));
    QApplication::setQuitOnLastWindowClosed(false);
    CTAVINApp app(edition, camera, QApplication::arguments());
    if (!app.InitInstance()) {
        return app.ExitCode();
    }
    return app.Run();
}

}  // namespace tavin
