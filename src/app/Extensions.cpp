#include "Extensions.h"

#include "CMainFrame.h"
#include "CTAVINView.h"
#include "DocumentCommands.h"

namespace tavin {

QWidget* CreateMainView(CTAVINDoc& document, QWidget* parent) {
    return new CTAVINView(document, parent);
}

void RegisterDocumentCommands(CommandTable& commands, CTAVINDoc& document, CMainFrame& frame) {
    DocumentCommands::Register(commands, document, frame);
}

}  // namespace tavin
