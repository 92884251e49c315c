#include "CTAVINView.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCoreApplication>
#include <QLabel>
#include <QScopedValueRollback>
#include <QTimer>
#include <chrono>

#include "CTAVINDoc.h"
#include "CameraItemTable.h"
#include "DialogBuilder.h"
#include "Edition.h"
#include "HeldInput.h"
#include "ProgramWait.h"
#include "TickSource.h"
#include "UserInterface.h"
#include "templates/Forms.h"

namespace tavin {

using namespace panel;

namespace {

constexpr int kTimerIntervalMs = 100;
constexpr const char* kTimerFailed = "Error: Timer creation failed!";

int StartToolkitTimer(QObject& owner, int intervalMs) {
    return owner.startTimer(intervalMs);
}

}  // namespace

void PauseInEventLoop(uint32_t ms) {
    // The timer only wakes the wait; the caller reads the clock again.
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    wake.start(std::chrono::milliseconds(ms));
    const ProgramWait waiting;
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                    QEventLoop::WaitForMoreEvents);
}

CTAVINView::CTAVINView(CTAVINDoc& document, QWidget* parent, const PanelServices& services)
    : QScrollArea(parent),
      document_(document),
      clock_(services.clock ? *services.clock : SystemTicks()),
      pause_(services.pause ? services.pause : Pauser(PauseInEventLoop)),
      form_(new QWidget) {
    setObjectName(QStringLiteral("CTAVINView"));
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setWidgetResizable(false);
    BuildDialog(*form_, ControlPanelFormTemplate(CurrentEdition().kind), CreateScrollBarControl);
    form_->setWindowTitle({});
    setWidget(form_);
    ConnectControls();
    connect(&document_, &CTAVINDoc::viewsRefreshRequested, this, &CTAVINView::RefreshPanel);
    OnCreate(services.startTimer ? services.startTimer : TimerStarter(StartToolkitTimer));
    OnInitialUpdate();
}

void CTAVINView::OnCreate(const TimerStarter& startTimer) {
    // The timer's ticks do nothing of the view's own; it ends with the window.
    if (startTimer(*this, kTimerIntervalMs) == 0) {
        TheUserInterface().ShowMessage(kTimerFailed, {}, MessageIcon::None);
    }
}

void CTAVINView::ConnectControls() {
    for (const RadioBinding& binding : RadioBindings()) {
        if (QAbstractButton* button = Button(binding.id)) {
            connect(button, &QAbstractButton::clicked, this,
                    [this, &binding] { OnRadioClicked(binding); });
        }
    }
    for (const SliderBinding& binding : SliderBindings()) {
        if (auto* slider = DialogItem<ScrollBarControl>(*form_, binding.sliderId)) {
            connect(slider, &ScrollBarControl::scrolled, this,
                    [this, &binding](ScrollCode code, int position) {
                        OnHScroll(binding, code, position);
                    });
        }
    }
    if (QAbstractButton* countStart = Button(kCountStart)) {
        connect(countStart, &QAbstractButton::clicked, this, &CTAVINView::RunLoopTest);
    }
}

void CTAVINView::OnInitialUpdate() {
    for (const SliderBinding& binding : SliderBindings()) {
        if (auto* slider = DialogItem<ScrollBarControl>(*form_, binding.sliderId)) {
            slider->setRange(GetMin(binding.item, true), GetMax(binding.item, true));
        }
    }
    // The full build's form carries an HD RESET group that is never shown; its buttons still
    // follow the data set and the enabling rules.
    for (int id : {kHdResetGroup, kHdResetOn, kHdResetOff}) {
        if (QWidget* control = DialogItem(*form_, id)) {
            control->hide();
        }
    }
    RefreshPanel();
}

void CTAVINView::RefreshPanel() {
    // Each button shows whether its item holds the value it writes. The shutter and V-BINNING
    // groups follow rules of their own, below.
    for (const RadioBinding& binding : RadioBindings()) {
        if (binding.item != kShutterItem && binding.item != kVBinningItem) {
            SetCheck(binding.id, document_.GetItemValue(binding.item) == binding.value);
        }
    }

    // A shutter value without a button (8, the camera's own) leaves the group empty. Only the
    // group's own buttons are ever selected, whatever the camera sent.
    for (int id = kShutterFirst; id <= kShutterLast; ++id) {
        if (IsChecked(id)) {
            SetCheck(id, false);
            break;
        }
    }
    const int32_t shutter = document_.GetItemValue(kShutterItem);
    if (shutter >= 0 && shutter <= kShutterLast - kShutterFirst) {
        SetCheck(kShutterFirst + shutter, true);
    }

    // V-BINNING "OFF" is item 6 = 1 with binning mode (item 5) 0; other binning modes show no
    // button.
    SetCheck(IsChecked(kVBinningOn) ? kVBinningOn : kVBinningOff, false);
    if (document_.GetItemValue(kVBinningItem) == 1) {
        const int64_t id = int64_t(kVBinningOff) + document_.GetItemValue(kVBinningModeItem);
        if (id == kVBinningOn || id == kVBinningOff) {
            SetCheck(int(id), true);
        }
    } else {
        SetCheck(kVBinningOn, true);
    }

    for (const SliderBinding& binding : SliderBindings()) {
        ShowSliderValue(binding.item, binding.sliderId, binding.labelId,
                        document_.GetItemValue(binding.item));
    }
    UpdateControlStates(0);
}

bool CTAVINView::OnRadioClicked(const RadioBinding& binding) {
    if (!IsChecked(binding.id)) {
        return true;
    }
    // The rules follow the new selection at once, before the camera has answered.
    if (binding.appliesRules) {
        UpdateControlStates(binding.id);
    }
    if (WriteItem(binding.item, binding.value) < 0) {
        // The message has been shown; show the data set's values again.
        document_.RefreshAllViews();
        return false;
    }
    return true;
}

void CTAVINView::OnHScroll(const SliderBinding& binding, ScrollCode code, int position) {
    auto* slider = DialogItem<ScrollBarControl>(*form_, binding.sliderId);
    if (!slider || writing_) {
        return;
    }
    const std::optional<int> p = slider->ScrolledPosition(code, position);
    if (!p) {
        return;
    }
    // A failed write leaves slider and label at the stored value; the message has been shown.
    // Nothing the user did meanwhile goes on writing: no repeat, no drag, no queued input.
    if (WriteItem(binding.item, *p) < 0) {
        slider->CancelScroll();
        DiscardHeldInput();
        return;
    }
    ShowSliderValue(binding.item, binding.sliderId, binding.labelId, *p);
}

void CTAVINView::UpdateControlStates(int controlId) {
    const bool shutterRule = controlId == 0 || controlId == kFdOn || controlId == kFdOff ||
                             controlId == kModeFixedShutter || controlId == kModeTwoTrigger ||
                             controlId == kModeOneTrigger;
    const bool triggerRule = controlId == 0 || controlId == kFdOn || controlId == kFdOff;
    if (shutterRule) {
        const bool enabled = (IsChecked(kFdOn) && IsChecked(kModeFixedShutter)) ||
                             (IsChecked(kFdOff) && IsChecked(kModeTwoTrigger));
        for (int id = kShutterFirst; id <= kShutterLast; ++id) {
            if (QAbstractButton* button = Button(id)) {
                button->setEnabled(enabled);
            }
        }
    }
    if (triggerRule) {
        const bool enabled = IsChecked(kFdOn);
        EnableButtons({kTriggerNormal, kTriggerInvert, kHdResetOn, kHdResetOff}, enabled);
        CheckRadioButton(
            kTriggerNormal, kTriggerInvert,
            document_.GetItemValue(kTriggerItem) == 0 ? kTriggerNormal : kTriggerInvert);
        if (Button(kHdResetOn)) {
            CheckRadioButton(kHdResetOn, kHdResetOff,
                             document_.GetItemValue(kHdResetItem) == 0 ? kHdResetOn : kHdResetOff);
        }
    }
}

void CTAVINView::ShowSliderValue(int index, int sliderId, int labelId, int32_t value) {
    if (auto* slider = DialogItem<ScrollBarControl>(*form_, sliderId)) {
        slider->setValue(value);
        slider->update();
    }
    if (auto* label = DialogItem<QLabel>(*form_, labelId)) {
        label->setText(QString::asprintf(" %d ", ToCamera(index, value)));
    }
}

int32_t CTAVINView::WriteItem(int index, int32_t value) {
    QScopedValueRollback busy(writing_, true);
    return document_.SetItemValue(index, value);
}

QAbstractButton* CTAVINView::Button(int id) const {
    return DialogItem<QAbstractButton>(*form_, id);
}

bool CTAVINView::IsChecked(int id) const {
    const QAbstractButton* button = Button(id);
    return button && button->isChecked();
}

void CTAVINView::SetCheck(int id, bool checked) {
    QAbstractButton* button = Button(id);
    if (!button || button->isChecked() == checked) {
        return;
    }
    QButtonGroup* group = button->group();
    if (!checked && group && group->exclusive()) {
        // An exclusive group refuses to clear its selected button.
        group->setExclusive(false);
        button->setChecked(false);
        group->setExclusive(true);
        return;
    }
    button->setChecked(checked);
}

void CTAVINView::CheckRadioButton(int first, int last, int id) {
    for (int other = first; other <= last; ++other) {
        SetCheck(other, other == id);
    }
}

void CTAVINView::EnableButtons(std::initializer_list<int> ids, bool enabled) {
    for (int id : ids) {
        if (QAbstractButton* button = Button(id)) {
            button->setEnabled(enabled);
        }
    }
}

}  // namespace tavin
