#include "AppUserInterface.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEventLoop>

#include "CMainFrame.h"
#include "MessageBoxes.h"
#include "ProgramWait.h"

namespace tavin {

void AppUserInterface::ShowMessage(const std::string& text, const std::string& caption,
                                   MessageIcon icon) {
    // The core shows errors only for the link and the camera: an exchange, an open.
    if (icon == MessageIcon::Error && onCameraFailure) {
        onCameraFailure();
    }
    ShowMessageBox(
        {QString::fromStdString(text), QString::fromStdString(caption), icon, MessageButtons::Ok});
}

bool AppUserInterface::HasMainWindow() {
    return !frame_.isNull();
}

void AppUserInterface::SetStatusText(const std::string& text) {
    if (frame_) {
        frame_->ShowProgress(QString::fromStdString(text));
    }
}

void AppUserInterface::KeepResponsive() {
    {
        const ProgramWait waiting;
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    // Input held back here stays queued without waking the event loop again; the wake-up makes
    // sure it is delivered as soon as the operation returns, not with the next unrelated event.
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance()) {
        dispatcher->wakeUp();
    }
}

}  // namespace tavin
