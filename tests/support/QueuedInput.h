#pragma once

#include <QPointF>
#include <QString>
#include <QWidget>
#include <QWindow>
#include <optional>

// Queues input the way the platform does when a person clicks: into the window-system queue,
// to be delivered by the event loop later. The toolkit's test functions deliver at once, which
// would not show whether a wait lets input through. The class is the toolkit's platform
// interface; only the functions used here are declared.
class Q_GUI_EXPORT QWindowSystemInterface {
  public:
    struct AsynchronousDelivery {};
    template <typename Delivery>
    static bool handleMouseEvent(QWindow* window, const QPointF& local, const QPointF& global,
                                 Qt::MouseButtons state, Qt::MouseButton button, QEvent::Type type,
                                 Qt::KeyboardModifiers mods, Qt::MouseEventSource source);
    template <typename Delivery>
    static bool handleKeyEvent(QWindow* window, QEvent::Type type, int key,
                               Qt::KeyboardModifiers mods, const QString& text, bool autorep,
                               ushort count);
};

namespace tavin::testing {

// A left-button event at `at` in `target`, for the event loop to deliver: a press, a move with
// the button held, or a release.
inline void QueueMouse(QWidget& target, QPoint at, QEvent::Type type) {
    QWindow* window = target.window()->windowHandle();
    const QPointF local = target.mapTo(target.window(), at);
    const QPointF global = target.mapToGlobal(at);
    const Qt::MouseButtons state =
        type == QEvent::MouseButtonRelease ? Qt::MouseButtons() : Qt::MouseButtons(Qt::LeftButton);
    QWindowSystemInterface::handleMouseEvent<QWindowSystemInterface::AsynchronousDelivery>(
        window, local, global, state, type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
        type, Qt::NoModifier, Qt::MouseEventNotSynthesized);
}

// A left click at `at` in `target` (its middle by default), for the event loop to deliver.
inline void QueueClick(QWidget& target, std::optional<QPoint> at = {}) {
    const QPoint point = at.value_or(target.rect().center());
    QueueMouse(target, point, QEvent::MouseButtonPress);
    QueueMouse(target, point, QEvent::MouseButtonRelease);
}

// A key typed on `window`: its press and release, for the event loop to deliver.
inline void QueueKey(QWindow* window, Qt::Key key, const QString& text = {}) {
    for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
        QWindowSystemInterface::handleKeyEvent<QWindowSystemInterface::AsynchronousDelivery>(
            window, type, key, Qt::NoModifier, text, false, 1);
    }
}

}  // namespace tavin::testing
