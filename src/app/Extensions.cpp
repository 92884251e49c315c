#include "Extensions.h"

#include <QWidget>

#include "CTAVINDoc.h"

namespace tavin {

QWidget* CreateMainView(CTAVINDoc& document, QWidget* parent) {
    auto* view = new QWidget(parent);
    view->setObjectName(QStringLiteral("CTAVINView"));
    QObject::connect(&document, &CTAVINDoc::viewsRefreshRequested, view,
                     qOverload<>(&QWidget::update));
    return view;
}

void RegisterDocumentCommands(CommandTable&, CTAVINDoc&, CMainFrame&) {}

}  // namespace tavin
