#pragma once

class QWidget;

// Where the control panel and the camera commands join the application shell.

namespace tavin {

class CameraAccess;
class CMainFrame;
class CommandTable;
class CTAVINDoc;

// The client of the main window, showing the document: the control panel.
QWidget* CreateMainView(CTAVINDoc& document, QWidget* parent);

// Registers the document's Interface commands (read, write, port setup, manual command,
// adjustment) with their accelerator twins.
void RegisterDocumentCommands(CommandTable& commands, CTAVINDoc& document, CMainFrame& frame);

}  // namespace tavin
