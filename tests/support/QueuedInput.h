#pragma once

#include <QPointF>
#include <QWidget>
#include <QWindow>
#include <optional>
#include <utility>

// Queues input the way the platform does when a person clicks: into the window-system queue,
// to be delivered by the event loop later. The toolkit's test functions deliver at once, which
// would not show whether a wait lets input through. The class is the toolkit's platform
// interface; only this one function of it is declared here.
class Q_GUI_EXPORT QWindowSystemInterface {
  public:
    struct AsynchronousDelivery {};
    template <typename Delivery>
    static bool handleMouseEvent(QWindow* window, const QPointF& local, const QPointF& global,
                                 Qt::MouseButtons state, Qt::MouseButton button, QEvent::Type type,
                                 Qt::KeyboardModifiers mods, Qt::MouseEventSource source);
};

namespace tavin::testing {

// A left click at `at` in `target` (its middle by default), for the event loop to deliver.
inline void QueueClick(QWidget& target, std::optional<QPoint> at = {}) {
    const QPoint point = at.value_or(target.rect().center());
    QWindow* window = target.window()->windowHandle();
    const QPointF local = target.mapTo(target.window(), point);
    const QPointF global = target.mapToGlobal(point);
    for (auto [type, state] :
         {std::pair{QEvent::MouseButtonPress, Qt::MouseButtons(Qt::LeftButton)},
          std::pair{QEvent::MouseButtonRelease, Qt::MouseButtons()}}) {
        QWindowSystemInterface::handleMouseEvent<QWindowSystemInterface::AsynchronousDelivery>(
            window, local, global, state, Qt::LeftButton, type, Qt::NoModifier,
            Qt::MouseEventNotSynthesized);
    }
}

}  // namespace tavin::testing
