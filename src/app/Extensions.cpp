#include "Extensions.h"

#include "CTAVINView.h"

namespace tavin {

QWidget* CreateMainView(CTAVINDoc& document, QWidget* parent) {
    return new CTAVINView(document, parent);
}

void RegisterDocumentCommands(CommandTable&, CTAVINDoc&, CMainFrame&) {}

}  // namespace tavin
