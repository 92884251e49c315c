#include "CManualCommandDlg.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QValidator>

#include "CameraDataSet.h"
#include "DialogBuilder.h"
#include "DialogKeys.h"
#include "templates/ManualCommandDialog.h"

namespace tavin {

namespace {

// Letters typed (or pasted) become capitals as they arrive, as the camera expects them.
class UpperCaseValidator : public QValidator {
  public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        input = input.toUpper();
        return Acceptable;
    }
};

}  // namespace

CManualCommandDlg::CManualCommandDlg(CameraDataSet& camera, QWidget* parent)
    : QDialog(parent), camera_(camera) {
    BuildDialog(*this, ManualCommandDialogTemplate());
    transmission_ = DialogItem<QLineEdit>(*this, manual::kTransmission);
    received_ = DialogItem<QLineEdit>(*this, manual::kReceived);
    transmission_->setValidator(new UpperCaseValidator(transmission_));
    received_->setReadOnly(true);
    // Exit starts with the keyboard focus, so Enter or Space straight after opening just leaves.
    DialogItem<QPushButton>(*this, manual::kExit)->setFocus();
    connect(DialogItem<QPushButton>(*this, manual::kSend), &QPushButton::clicked, this,
            &CManualCommandDlg::OnSend);
    connect(DialogItem<QPushButton>(*this, manual::kRead), &QPushButton::clicked, this,
            &CManualCommandDlg::OnRead);
}

QByteArray CManualCommandDlg::MessageText() const {
    return transmission_->text().toLatin1();
}

void CManualCommandDlg::OnSend() {
    received_->clear();
    if (camera_.SendCommand(MessageText().constData()) < 0) {
        camera_.ReportError();
    }
}

void CManualCommandDlg::OnRead() {
    // Cleared first, so a failed read never leaves an earlier reply looking like its answer.
    received_->clear();
    char reply[28] = {};
    if (camera_.SendQuery(MessageText().constData(), reply) < 0) {
        camera_.ReportError();
        return;
    }
    received_->setText(QString::fromLatin1(reply, qsizetype(qstrnlen(reply, 6))).toUpper());
}

void CManualCommandDlg::keyPressEvent(QKeyEvent* event) {
    // No button is the default: away from the buttons Enter leaves the dialog like Exit, as a
    // dialog without a default button does on the desktop.
    if (!PressButtonForEnter(*this, *event, *DialogItem<QPushButton>(*this, manual::kExit))) {
        QDialog::keyPressEvent(event);
    }
}

}  // namespace tavin
