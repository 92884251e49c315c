#include "DocumentCommands.h"

#include <memory>

#include "CCommandMenuDlg.h"
#include "CMainFrame.h"
#include "CManualCommandDlg.h"
#include "CSerialPortDlg.h"
#include "CTAVINDoc.h"
#include "CameraAccess.h"
#include "CommandTable.h"
#include "StringIds.h"
#include "StringTable.h"
#include "WaitCursor.h"
#include "templates/Menus.h"

namespace tavin {

DocumentCommands::DocumentCommands(CTAVINDoc& document, CMainFrame& owner)
    : document_(document), owner_(owner) {}

void DocumentCommands::Register(CommandTable& commands, CTAVINDoc& document, CMainFrame& owner) {
    const auto handlers = std::make_shared<DocumentCommands>(document, owner);
    const auto bind = [&commands, handlers](std::initializer_list<unsigned> ids,
                                            void (DocumentCommands::*handler)()) {
        for (unsigned id : ids) {
            commands.Register(id, [handlers, handler] { ((*handlers).*handler)(); });
        }
    };
    bind({command::kPortSetup, command::kPortSetupAccel}, &DocumentCommands::OnPortSetup);
    bind({command::kReadFromCamera, command::kReadFromCameraAccel},
         &DocumentCommands::OnReadFromCamera);
    bind({command::kWriteToCamera, command::kWriteToCameraAccel},
         &DocumentCommands::OnWriteToCamera);
    bind({command::kManualCommand}, &DocumentCommands::OnManualCommand);
    bind({command::kAdjustCameraData, command::kAdjustCameraDataAccel},
         &DocumentCommands::OnAdjustCameraData);
}

void DocumentCommands::OnPortSetup() {
    CameraAccess& camera = document_.Camera();
    CSerialPortDlg dialog(&owner_);
    dialog.m_nPort = camera.GetPortNumber();
    dialog.m_nBaudRate = camera.GetBaudRate();
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    // A port that does not open has been reported; there is nothing to read from.
    if (camera.OpenSerialPort(dialog.m_nPort, dialog.m_nBaudRate) < 0) {
        return;
    }
    OnReadFromCamera();
}

void DocumentCommands::OnReadFromCamera() {
    // A read that breaks off changes nothing: the panel, Save and Write To Camera go on with the
    // last complete set, and the status bar says that this one was not read.
    const WaitCursor waiting;
    if (document_.ReadCameraData() > 0) {
        document_.RefreshAllViews();
    } else {
        owner_.AddIdleNote(QString::fromUtf8(LoadText(string_id::kSettingsNotRead)));
    }
}

void DocumentCommands::OnWriteToCamera() {
    // Writing changes no value of ours: no refresh, and the modified flag stays as it was.
    const WaitCursor waiting;
    document_.WriteCameraData();
}

void DocumentCommands::OnManualCommand() {
    {
        CManualCommandDlg dialog(document_.Camera(), &owner_);
        dialog.exec();
    }
    // Whatever was typed may have changed the camera: bring its settings back into the panel.
    OnReadFromCamera();
}

void DocumentCommands::OnAdjustCameraData() {
    CCommandMenuDlg dialog(document_.Camera(), &owner_);
    dialog.exec();
    if (dialog.changeCount != 0) {
        document_.SetModifiedFlag();
    }
}

}  // namespace tavin
