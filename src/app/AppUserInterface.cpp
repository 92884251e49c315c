#include "AppUserInterface.h"

#include <QCoreApplication>
#include <QEventLoop>

#include "CMainFrame.h"
#include "MessageBoxes.h"

namespace tavin {

void AppUserInterface::ShowMessage(const std::string& text, const std::string& caption,
                                   MessageIcon icon) {
    ShowMessageBox(
        {QString::fromStdString(text), QString::fromStdString(caption), icon, MessageButtons::Ok});
}

bool AppUserInterface::HasMainWindow() {
    return !frame_.isNull();
}

void AppUserInterface::SetStatusText(const std::string& text) {
    if (frame_) {
        frame_->SetStatusText(QString::fromStdString(text));
    }
}

void AppUserInterface::KeepResponsive() {
    ++waitDepth_;
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    --waitDepth_;
}

}  // namespace tavin
