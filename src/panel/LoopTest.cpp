// The shutter loop test of the Camera-Link-only program: the "Count Start" button steps the
// camera through the eight shutter speeds once a second, eleven times over.

#include <QAbstractButton>
#include <QLabel>
#include <QPointer>

#include "CTAVINView.h"
#include "DialogBuilder.h"
#include "HeldInput.h"
#include "StringIds.h"
#include "StringTable.h"
#include "TickSource.h"
#include "UserInterface.h"
#include "WaitCursor.h"

namespace tavin {

using namespace panel;

namespace {

constexpr int kPasses = 11;
constexpr uint64_t kStepMs = 1000;

}  // namespace

void CTAVINView::RunLoopTest() {
    QPointer<CTAVINView> alive(this);
    const bool completed = RunLoopTestSteps();
    if (!alive) {
        return;
    }
    // Nothing the user did during the run is acted on a minute later: it was not taken then.
    DiscardHeldInput();
    emit loopTestEnded(completed);
}

bool CTAVINView::RunLoopTestSteps() {
    // Each step goes through the panel's own click handling, so the camera gets exactly what a
    // click on the button would send, also when the rules show the buttons disabled; the
    // enabling is left as it is.
    QPointer<CTAVINView> alive(this);
    const WaitCursor waiting;
    int step = 0;
    for (int pass = 0; pass < kPasses; ++pass) {
        if (auto* label = DialogItem<QLabel>(*form_, kLoopPass)) {
            label->setText(QString::asprintf(" %d ", pass));
        }
        for (int id = kShutterFirst; id <= kShutterLast; ++id) {
            CheckRadioButton(kShutterFirst, kShutterLast, id);
            for (const RadioBinding& binding : RadioBindings()) {
                // A camera that did not take a step would only time out again on the next one,
                // and the one after: the run stops at the first failure, after its one message.
                if (binding.id == id && !OnRadioClicked(binding)) {
                    return false;
                }
            }
            ++step;
            if (UserInterface& ui = TheUserInterface(); ui.HasMainWindow() && Button(id)) {
                ui.SetStatusText(FormatString(LoadText(string_id::kLoopTestStep),
                                              std::to_string(step),
                                              Button(id)->text().toStdString()));
            }
            if (!WaitMoreThanOneSecond() || !alive) {
                return false;
            }
        }
    }
    return true;
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
