#pragma once

#include <QDialog>
#include <cstdint>

#include "ScrollBarControl.h"

// "Command Menu": sliders for camera items the control panel does not show. Every slider event
// writes its item to the camera at once; the value labels show the camera form of each value in
// decimal or hexadecimal. The opener reads changeCount afterwards to learn whether anything
// reached the camera.

namespace tavin {

class CameraAccess;

class CCommandMenuDlg : public QDialog {
    Q_OBJECT

  public:
    struct Row {
        int item;     // the reserved item 45 when the slider has no row
        int titleId;  // 0 when the slider has no row
        int valueId;  // 0 when the slider has no row
    };

    explicit CCommandMenuDlg(CameraAccess& camera, QWidget* parent = nullptr);

    // Slider events whose write the camera took while the dialog was open.
    int32_t changeCount = 0;
    // 1: value labels in hexadecimal. Read when the dialog starts, stored only by EXIT.
    int32_t hexDisplay = 0;

    Row LookupRow(int sliderId) const;
    void InitRow(int sliderId);
    void ShowRow(int sliderId, int32_t value);
    void ShowAllRows();

    void accept() override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void OnInitDialog();
    void OnScrolled(ScrollBarControl& slider, ScrollCode code, int position);

    CameraAccess& camera_;
    bool initialized_ = false;
    bool writing_ = false;
};

}  // namespace tavin
