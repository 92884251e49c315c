// The shutter loop test of the Camera-Link-only program: the "Count Start" button steps the
// camera through the eight shutter speeds once a second, eleven times over.

#include <QAbstractButton>
#include <QAbstractEventDispatcher>
#include <QLabel>
#include <QPointer>

#include "CTAVINView.h"
#include "DialogBuilder.h"
#include "TickSource.h"

namespace tavin {

using namespace panel;

namespace {

constexpr int kPasses = 11;
constexpr uint64_t kStepMs = 1000;

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
    QPointer<CTAVINView> alive(this);
    const uint64_t start = clock_.NowMs();
    for (uint64_t elapsed = 0; elapsed <= kStepMs; elapsed = clock_.NowMs() - start) {
        pause_(static_cast<uint32_t>(kStepMs + 1 - elapsed));
        if (!alive) {
            return false;
        }
    }
    return true;
}

}  // namespace tavin
