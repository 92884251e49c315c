#include "CCommandMenuDlg.h"

#include <QAbstractButton>
#include <QLabel>

#include "CameraAccess.h"
#include "CameraItemTable.h"
#include "DialogBuilder.h"
#include "HeldInput.h"
#include "templates/CommandMenuDialog.h"

namespace tavin {

namespace {

constexpr int kReservedItem = 45;

bool IsAdjustable(int item) {
    return (GetItemDef(item).flags & (CameraItemDef::kWritable | CameraItemDef::kReadable)) != 0;
}

}  // namespace

CCommandMenuDlg::CCommandMenuDlg(CameraAccess& camera, QWidget* parent)
    : QDialog(parent), camera_(camera) {
    BuildDialog(*this, CommandMenuDialogTemplate(), CreateScrollBarControl);
    for (const CommandMenuRow& row : CommandMenuRows()) {
        auto* slider = DialogItem<ScrollBarControl>(*this, row.sliderId);
        connect(
            slider, &ScrollBarControl::scrolled, this,
            [this, slider](ScrollCode code, int position) { OnScrolled(*slider, code, position); });
    }
    for (int id : {command_menu::kDecimal, command_menu::kHexadecimal}) {
        connect(DialogItem<QAbstractButton>(*this, id), &QAbstractButton::clicked, this,
                &CCommandMenuDlg::ShowAllRows);
    }
}

CCommandMenuDlg::Row CCommandMenuDlg::LookupRow(int sliderId) const {
    const EditionKind edition = CurrentEdition().kind;
    for (const CommandMenuRow& row : CommandMenuRows()) {
        if (row.sliderId == sliderId && row.ItemIn(edition) != command_menu::kNoItem) {
            return {row.ItemIn(edition), row.titleId, row.valueId};
        }
    }
    return {kReservedItem, 0, 0};
}

void CCommandMenuDlg::InitRow(int sliderId) {
    const Row row = LookupRow(sliderId);
    auto* slider = DialogItem<ScrollBarControl>(*this, sliderId);
    if (!IsAdjustable(row.item)) {
        slider->setEnabled(false);
        return;
    }
    DialogItem<QLabel>(*this, row.titleId)->setText(QString::fromStdString(GetLabel(row.item)));
    const QSignalBlocker quiet(slider);
    slider->setRange(GetMin(row.item, true), GetMax(row.item, true));
}

void CCommandMenuDlg::ShowRow(int sliderId, int32_t value) {
    const Row row = LookupRow(sliderId);
    if (!IsAdjustable(row.item)) {
        return;
    }
    DialogItem<ScrollBarControl>(*this, sliderId)->setValue(value);
    const bool decimal = DialogItem<QAbstractButton>(*this, command_menu::kDecimal)->isChecked();
    const int32_t shown = ToCamera(row.item, value);
    // Hexadecimal digits of the unsigned pattern: never a minus sign in front of them.
    DialogItem<QLabel>(*this, row.valueId)
        ->setText(decimal ? QString::asprintf(" %d ", shown)
                          : QString::asprintf(" %X ", static_cast<unsigned>(shown)));
}

void CCommandMenuDlg::ShowAllRows() {
    for (const CommandMenuRow& row : CommandMenuRows()) {
        const Row bound = LookupRow(row.sliderId);
        if (bound.titleId != 0 && IsAdjustable(bound.item)) {
            ShowRow(row.sliderId, camera_.GetValue(bound.item, false));
        }
    }
}

void CCommandMenuDlg::showEvent(QShowEvent* event) {
    if (!initialized_) {
        initialized_ = true;
        OnInitDialog();
    }
    QDialog::showEvent(event);
}

void CCommandMenuDlg::OnInitDialog() {
    for (const CommandMenuRow& row : CommandMenuRows()) {
        InitRow(row.sliderId);
    }
    DialogItem<QAbstractButton>(
        *this, hexDisplay == 1 ? command_menu::kHexadecimal : command_menu::kDecimal)
        ->setChecked(true);
    ShowAllRows();
    // As on the desktop, the first control that takes the keyboard starts with it.
    for (const CommandMenuRow& row : CommandMenuRows()) {
        if (auto* slider = DialogItem<ScrollBarControl>(*this, row.sliderId); slider->isEnabled()) {
            slider->setFocus(Qt::OtherFocusReason);
            break;
        }
    }
}

void CCommandMenuDlg::OnScrolled(ScrollBarControl& slider, ScrollCode code, int position) {
    const int id = slider.objectName().toInt();
    const Row row = LookupRow(id);
    if (row.titleId == 0 || row.valueId == 0 || !IsAdjustable(row.item)) {
        return;
    }
    const std::optional<int> p = slider.ScrolledPosition(code, position);
    if (!p) {
        return;
    }
    // Every event writes, also a step that stays put at the end of the range: the camera is
    // given the value shown once more.
    // The window keeps repainting while the camera is waited for, and the slider's own repeat
    // timer then keeps firing; the write under way is the only one.
    if (writing_) {
        return;
    }
    writing_ = true;
    const int32_t result = camera_.SendItem(row.item, *p);
    writing_ = false;
    if (result >= 0) {
        ShowRow(id, *p);
        ++changeCount;
        return;
    }
    // One failed write per user action: nothing repeats it, neither the slider nor input that
    // was queued while the camera did not answer.
    slider.CancelScroll();
    DiscardHeldInput();
}

void CCommandMenuDlg::accept() {
    hexDisplay = DialogItem<QAbstractButton>(*this, command_menu::kDecimal)->isChecked() ? 0 : 1;
    QDialog::accept();
}

}  // namespace tavin
