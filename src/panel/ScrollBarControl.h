#pragma once

#include <QScrollBar>
#include <QTimer>
#include <optional>

#include "templates/Dialogs.h"

// A horizontal scroll bar that behaves like the desktop's native scroll-bar control: it never
// moves its own position. Every user action (arrow or trough click, thumb drag, key) is reported
// to the owner as a scroll code, and the owner decides the new position with setValue(); an
// owner that does nothing leaves the bar where it was. Keys as on the native control: Left/Up a
// line left, Right/Down a line right, Page Up/Page Down a page left/right, Home/End the ends.
// Only the left button acts; there is no context menu. The mouse wheel is left to the parent,
// which scrolls the form.
//
// A drag reports where the thumb is once the input that has arrived meanwhile is handled: when
// the owner's write for one position keeps the program waiting, the thumb's later movements are
// one report of the latest position, not one for each place it passed.

namespace tavin {

enum class ScrollCode {
    LineLeft,
    LineRight,
    PageLeft,
    PageRight,
    ThumbPosition,  // drag ended at `position`
    ThumbTrack,     // drag in progress at `position`
    Left,           // to the left end
    Right,          // to the right end
    EndScroll,      // mouse button or key released
};

class ScrollBarControl : public QScrollBar {
    Q_OBJECT

  public:
    // Line step 1, page step 10.
    explicit ScrollBarControl(QWidget* parent = nullptr);

    // Where a scroll code moves the bar, clamped to its range: a line or a page from the current
    // position, or `position` for the thumb codes. No position for the codes that move nothing
    // here (the ends and the end of a scroll). The owner sets it, or not.
    std::optional<int> ScrolledPosition(ScrollCode code, int position) const;

    // Ends the user's scroll at once, as a release of the button or key would, and reports
    // nothing more until the next press: no repeat of an arrow or trough press, no further drag
    // events, no auto-repeated key. The owner calls it when the write a scroll code asked for
    // failed, so that one action gives at most one failed write, whether or not the release
    // ever arrives (a modal message box takes it).
    void CancelScroll();

  signals:
    // `position`: the thumb's position for the thumb codes, the current position otherwise.
    void scrolled(tavin::ScrollCode code, int position);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

  private:
    void OnAction(int action);
    void Report(ScrollCode code, int position);
    void ReportThumbTrack();

    int dragPosition_ = 0;
    QTimer thumbTrack_;       // a thumb movement waits here until the queued input has been handled
    bool cancelled_ = false;  // the current press or held key has ended in a failed write
};

// A ControlFactory for BuildDialog: every horizontal scroll bar of a template becomes a
// ScrollBarControl; other kinds are left to the builder.
QWidget* CreateScrollBarControl(const DialogControl& control, QWidget& parent);

}  // namespace tavin
