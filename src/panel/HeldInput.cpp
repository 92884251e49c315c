#include "HeldInput.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>

#include "ProgramWait.h"

namespace tavin {

namespace {

class InputSink final : public QObject {
  public:
    explicit InputSink(const std::function<void(const QKeyEvent&)>& droppedKey)
        : droppedKey_(droppedKey) {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~InputSink() override { QCoreApplication::instance()->removeEventFilter(this); }
    InputSink(const InputSink&) = delete;
    InputSink& operator=(const InputSink&) = delete;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
            case QEvent::ShortcutOverride:
                // Asked of the focus widget before a held key press is matched against the
                // shortcuts; taking it keeps the shortcut from firing, so the press comes here.
                event->accept();
                return true;
            case QEvent::KeyPress:
                if (droppedKey_ && event->spontaneous()) {
                    droppedKey_(*static_cast<QKeyEvent*>(event));
                }
                return event->spontaneous();
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
            case QEvent::MouseMove:
            case QEvent::KeyRelease:
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

  private:
    const std::function<void(const QKeyEvent&)>& droppedKey_;
};

void HandlePendingEvents() {
    // The window system may hand over its queue in more than one step.
    for (int pass = 0; pass < 3; ++pass) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
}

}  // namespace

void DiscardHeldInput(const std::function<void(const QKeyEvent&)>& droppedKey) {
    const ProgramWait waiting;  // still the tail of the operation; nothing queued may start
    const InputSink sink(droppedKey);
    // A round trip to the window system: every event it made before now is then in our queue,
    // and the sink takes it.
    QGuiApplication::sync();
    HandlePendingEvents();
}

}  // namespace tavin
