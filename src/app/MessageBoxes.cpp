#include "MessageBoxes.h"

#include <QApplication>
#include <QMessageBox>
#include <QScopeGuard>

#include <utility>

#include "HeldInput.h"
#include "StringIds.h"
#include "StringTable.h"

namespace tavin {

namespace {

MessageHook& Hook() {
    static MessageHook hook;
    return hook;
}

QMessageBox::Icon ToQt(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Error:
            return QMessageBox::Critical;
        case MessageIcon::Exclamation:
            return QMessageBox::Warning;
        case MessageIcon::Question:
            return QMessageBox::Question;
        case MessageIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

MessageHook SetMessageHook(MessageHook hook) {
    return std::exchange(Hook(), std::move(hook));
}

MessageAnswer ShowMessageBox(const MessageRequest& request) {
    MessageRequest filled = request;
    if (filled.caption.isEmpty()) {
        filled.caption = QString::fromUtf8(LoadText(string_id::kAppTitle));
    }
    if (Hook()) {
        return Hook()(filled);
    }
    // A box shown during a long operation takes the normal pointer, not the wait cursor.
    const bool waiting = QApplication::overrideCursor() != nullptr;
    if (waiting) {
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    }
    const auto restore = qScopeGuard([waiting] {
        if (waiting) {
            QApplication::restoreOverrideCursor();
        }
    });
    const bool ask = filled.buttons == MessageButtons::YesNoCancel;
    QMessageBox box(
        ToQt(filled.icon), filled.caption, filled.text,
        ask ? QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel : QMessageBox::Ok,
        QApplication::activeWindow());
    // A key that dismissed the box before this one, or was typed while the camera was waited
    // for, must not answer a question the user has not seen.
    box.setWindowModality(Qt::ApplicationModal);
    DiscardHeldInput();
    switch (box.exec()) {
        case QMessageBox::Yes:
            return MessageAnswer::Yes;
        case QMessageBox::No:
            return MessageAnswer::No;
        case QMessageBox::Cancel:
            return MessageAnswer::Cancel;
        default:
            return ask ? MessageAnswer::Cancel : MessageAnswer::Ok;
    }
}

}  // namespace tavin
