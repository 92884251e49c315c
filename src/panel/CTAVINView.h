#pragma once

#include <QScrollArea>
#include <cstdint>
#include <functional>

#include "PanelBindings.h"
#include "ScrollBarControl.h"

class QAbstractButton;

// The control panel: the main window's client, the form of the current program laid out from
// its template inside a scrolling area. It shows the camera data set through the document and
// writes every change the user makes to the camera at once; it keeps no copy of any value.

namespace tavin {

class CTAVINDoc;
class TickSource;

// Starts a repeating timer on `owner`; returns its id, or 0 when none could be started.
using TimerStarter = std::function<int(QObject& owner, int intervalMs)>;
// Lets the windows repaint (timers and window-system events run, user input stays queued) for
// at most about `ms` milliseconds.
using Pauser = std::function<void(uint32_t ms)>;

// The loop test's own pause: the event loop runs, without user input, for about ms.
void PauseInEventLoop(uint32_t ms);

// What the view takes from its surroundings; tests replace them.
struct PanelServices {
    TickSource* clock = nullptr;  // the loop test's clock; the system's when null
    Pauser pause;                 // the loop test's pause; the event loop's when empty
    TimerStarter startTimer;      // the toolkit's when empty
};

class CTAVINView : public QScrollArea {
    Q_OBJECT

  public:
    explicit CTAVINView(CTAVINDoc& document, QWidget* parent = nullptr,
                        const PanelServices& services = PanelServices());

    CTAVINDoc& GetDocument() const { return document_; }
    QWidget& Form() const { return *form_; }

    // Slider ranges, the hidden HD RESET group, then RefreshPanel(). Runs when the view is
    // created; the document asks for a refresh each time it is (re)loaded, and since ranges and
    // hiding never change, that refresh completes the update.
    void OnInitialUpdate();
    // Sets every control from the data set.
    void RefreshPanel();
    // Steps the camera eleven times through the eight shutter speeds, one step a second,
    // through the panel's own shutter handling, and stops at the first step the camera does not
    // take. Repaints while it runs; input made meanwhile is dropped.
    void RunLoopTest();

  signals:
    // A loop test has ended; `completed` when every step went through.
    void loopTestEnded(bool completed);

  private:
    void OnCreate(const TimerStarter& startTimer);
    void ConnectControls();
    // False when the button's write failed (reported, and the panel shows the stored values).
    bool OnRadioClicked(const panel::RadioBinding& binding);
    void OnHScroll(const panel::SliderBinding& binding, ScrollCode code, int position);
    void UpdateControlStates(int controlId);
    void ShowSliderValue(int index, int sliderId, int labelId, int32_t value);
    // The document's write; meanwhile the slider's own repeat timer, which runs while the
    // camera is waited for, writes nothing.
    int32_t WriteItem(int index, int32_t value);
    // The loop test's steps; false when one failed or the view went away.
    bool RunLoopTestSteps();
    bool WaitMoreThanOneSecond();

    QAbstractButton* Button(int id) const;
    bool IsChecked(int id) const;
    // Sets or clears one check mark; clearing may leave its group with none selected.
    void SetCheck(int id, bool checked);
    // Selects `id` and clears the other buttons from `first` to `last`.
    void CheckRadioButton(int first, int last, int id);
    void EnableButtons(std::initializer_list<int> ids, bool enabled);

    CTAVINDoc& document_;
    TickSource& clock_;
    Pauser pause_;
    QWidget* form_;
    bool writing_ = false;
};

}  // namespace tavin
