#include "HeldInput.h"

#include <QCoreApplication>
#include <QEvent>

#include "ProgramWait.h"

namespace tavin {

namespace {

class InputSink final : public QObject {
  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
            case QEvent::MouseMove:
            case QEvent::KeyPress:
            case QEvent::KeyRelease:
            case QEvent::ShortcutOverride:
            case QEvent::Wheel:
            case QEvent::ContextMenu:
            case QEvent::TouchBegin:
            case QEvent::TouchUpdate:
            case QEvent::TouchEnd:
                return event->spontaneous();
            default:
                return false;
        }
    }
};

}  // namespace

void DiscardHeldInput() {
    const ProgramWait waiting;  // still the tail of the failed operation
    InputSink sink;
    QCoreApplication::instance()->installEventFilter(&sink);
    // The window system may hand over its queue in more than one step.
    for (int pass = 0; pass < 3; ++pass) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
    QCoreApplication::instance()->removeEventFilter(&sink);
}

}  // namespace tavin
