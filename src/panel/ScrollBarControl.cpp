#include "ScrollBarControl.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <algorithm>
#include <optional>

namespace tavin {

namespace {

std::optional<ScrollCode> CodeOfKey(int key) {
    switch (key) {
        case Qt::Key_Left:
        case Qt::Key_Up:
            return ScrollCode::LineLeft;
        case Qt::Key_Right:
        case Qt::Key_Down:
            return ScrollCode::LineRight;
        case Qt::Key_PageUp:
            return ScrollCode::PageLeft;
        case Qt::Key_PageDown:
            return ScrollCode::PageRight;
        case Qt::Key_Home:
            return ScrollCode::Left;
        case Qt::Key_End:
            return ScrollCode::Right;
        default:
            return std::nullopt;
    }
}

}  // namespace

ScrollBarControl::ScrollBarControl(QWidget* parent) : QScrollBar(Qt::Horizontal, parent) {
    setSingleStep(1);
    setPageStep(10);
    setFocusPolicy(Qt::StrongFocus);
    // The toolkit's context menu ("Scroll here", the edges) and a middle-button jump would move
    // the thumb past the owner; the bar has neither.
    setContextMenuPolicy(Qt::PreventContextMenu);
    connect(this, &QAbstractSlider::actionTriggered, this, &ScrollBarControl::OnAction);
    thumbTrack_.setSingleShot(true);
    thumbTrack_.setInterval(0);
    connect(&thumbTrack_, &QTimer::timeout, this, &ScrollBarControl::ReportThumbTrack);
}

void ScrollBarControl::ReportThumbTrack() {
    if (isSliderDown()) {
        Report(ScrollCode::ThumbTrack, dragPosition_);
    }
}

void ScrollBarControl::OnAction(int action) {
    // Qt has already moved the slider position for this action but not yet the value. Report
    // the action, then put the position back to whatever value the owner left, so the owner
    // alone decides where the bar stands.
    const int position = sliderPosition();
    switch (action) {
        case SliderSingleStepSub:
            Report(ScrollCode::LineLeft, value());
            break;
        case SliderSingleStepAdd:
            Report(ScrollCode::LineRight, value());
            break;
        case SliderPageStepSub:
            Report(ScrollCode::PageLeft, value());
            break;
        case SliderPageStepAdd:
            Report(ScrollCode::PageRight, value());
            break;
        case SliderToMinimum:
            Report(ScrollCode::Left, value());
            break;
        case SliderToMaximum:
            Report(ScrollCode::Right, value());
            break;
        case SliderMove:
            dragPosition_ = position;
            if (isSliderDown()) {
                // Reported once the input queued behind this movement has been handled too.
                if (!thumbTrack_.isActive()) {
                    thumbTrack_.start();
                }
            } else {
                // A press that jumps the thumb (where the style does that) is a finished drag;
                // the release then ends it at the same position.
                Report(ScrollCode::ThumbPosition, position);
            }
            break;
        default:
            return;
    }
    setSliderPosition(value());
}

void ScrollBarControl::Report(ScrollCode code, int position) {
    if (!cancelled_) {
        emit scrolled(code, position);
    }
}

void ScrollBarControl::CancelScroll() {
    cancelled_ = true;
    thumbTrack_.stop();
    setRepeatAction(SliderNoAction);
    // The base class ends a press (arrow, trough or thumb) only on a release; give it one.
    const QPointF centre = QRectF(rect()).center();
    QMouseEvent release(QEvent::MouseButtonRelease, centre, mapToGlobal(centre), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QScrollBar::mouseReleaseEvent(&release);
    setSliderPosition(value());
}

void ScrollBarControl::keyPressEvent(QKeyEvent* event) {
    // Qt's scroll bar inverts the arrow keys; the native control does not.
    const std::optional<ScrollCode> code = CodeOfKey(event->key());
    if (!code || event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) {
        QScrollBar::keyPressEvent(event);
        return;
    }
    event->accept();
    // A key held down after its write failed repeats nothing; pressing it again does.
    if (!event->isAutoRepeat()) {
        cancelled_ = false;
    }
    Report(*code, value());
}

void ScrollBarControl::keyReleaseEvent(QKeyEvent* event) {
    if (CodeOfKey(event->key()) && !event->isAutoRepeat()) {
        event->accept();
        Report(ScrollCode::EndScroll, value());
        return;
    }
    QScrollBar::keyReleaseEvent(event);
}

void ScrollBarControl::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    cancelled_ = false;
    dragPosition_ = value();
    QScrollBar::mousePressEvent(event);
}

void ScrollBarControl::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    const bool dragging = isSliderDown();
    QScrollBar::mouseReleaseEvent(event);
    // The end of the drag reports where the thumb came to rest, which a movement still waiting
    // to be reported would only repeat.
    thumbTrack_.stop();
    if (dragging) {
        Report(ScrollCode::ThumbPosition, dragPosition_);
    }
    Report(ScrollCode::EndScroll, value());
}

QWidget* CreateScrollBarControl(const DialogControl& control, QWidget& parent) {
    return control.kind == ControlKind::HScrollBar ? new ScrollBarControl(&parent) : nullptr;
}

void ScrollBarControl::wheelEvent(QWheelEvent* event) {
    event->ignore();
}

std::optional<int> ScrollBarControl::ScrolledPosition(ScrollCode code, int position) const {
    switch (code) {
        case ScrollCode::LineLeft:
            return std::max(value() - singleStep(), minimum());
        case ScrollCode::LineRight:
            return std::min(value() + singleStep(), maximum());
        case ScrollCode::PageLeft:
            return std::max(value() - pageStep(), minimum());
        case ScrollCode::PageRight:
            return std::min(value() + pageStep(), maximum());
        case ScrollCode::ThumbPosition:
        case ScrollCode::ThumbTrack:
            return position;
        default:
            return std::nullopt;
    }
}

}  // namespace tavin
