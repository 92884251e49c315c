// The shutter loop test of the Camera-Link-only program: the "Count Start" button steps the
// camera through the eight shutter speeds once a second, eleven times over.

#include <QAbstractButton>
#include <QAbstractEventDispatcher>
#include <QLabel>
#include <QPointer>

#include "CTAVINView.h"
#include "DialogBuilder.h"
#include "MillisecondClock.h"

namespace tavin {

using namespace panel;

namespace {

constexpr int kPasses = 11;
constexpr uint32_t kStepMs = 1000;

}  // namespace

void CTAVINView::RunLoopTest() {
    // Each step goes through the panel's own click handling, so the camera gets exactly what a
    // click on the button would send, also when the rules show the buttons disabled; the
    // enabling is left as it is.
    QPointer<CTAVINView> alive(this);
    for (int pass = 0; pass < kPasses; ++pass) {
        if (auto* label = DialogItem<QLabel>(*form_, kLoopPass)) {
            label->setText(QString::asprintf(" %d ", pass));
        }
        for (int id = kShutterFirst; id <= kShutterLast; ++id) {
            CheckRadioButton(kShutterFirst, kShutterLast, id);
            for (const RadioBinding& binding : RadioBindings()) {
                if (binding.id == id) {
                    OnRadioClicked(binding);
                }
            }
            if (!WaitMoreThanOneSecond() || !alive) {
                return;
            }
        }
    }
    // Input held back during the run stays queued without waking the event loop; wake it, so
    // that input is handled now.
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance()) {
        dispatcher->wakeUp();
    }
}

bool CTAVINView::WaitMoreThanOneSecond() {
    // The difference of two readings stays right when the 32-bit count wraps around; a
    // deadline computed as start + 1000 would not (it could be passed at once, or never).
    QPointer<CTAVINView> alive(this);
    const uint32_t start = clock_.TickCount();
    for (uint32_t elapsed = 0; elapsed <= kStepMs; elapsed = clock_.TickCount() - start) {
        clock_.Pause(kStepMs + 1 - elapsed);
        if (!alive) {
            return false;
        }
    }
    return true;
}

}  // namespace tavin
