#pragma once

// The document's Interface commands: read every item from the camera, write every item to it,
// reopen the serial port, and the manual command and adjustment dialogs. Each runs to its end
// on the user-interface thread; a communication failure is shown once, by the data set.

namespace tavin {

class CMainFrame;
class CommandTable;
class CTAVINDoc;

class DocumentCommands {
  public:
    // `owner` is the window the dialogs belong to, whose status bar says what did not get done.
    DocumentCommands(CTAVINDoc& document, CMainFrame& owner);

    // Registers every handler under its menu id and its accelerator id.
    static void Register(CommandTable& commands, CTAVINDoc& document, CMainFrame& owner);

    void OnPortSetup();
    void OnReadFromCamera();
    void OnWriteToCamera();
    void OnManualCommand();
    void OnAdjustCameraData();

  private:
    CTAVINDoc& document_;
    CMainFrame& owner_;
};

}  // namespace tavin
