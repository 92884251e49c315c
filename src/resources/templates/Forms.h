#pragma once

#include "Dialogs.h"

// The main window's form, the control panel, in each program's layout.

namespace tavin {

namespace form {
inline constexpr int kControlPanel = 101;
}  // namespace form

// Ids of the panel's controls; the two programs' forms place the same ids.
namespace panel {
inline constexpr int kFdOn = 1003;
inline constexpr int kFdOff = 1004;
inline constexpr int kShutterFirst = 1005;  // "1/30"; item 1 = 0
inline constexpr int kShutterLast = 1012;   // "1/50000"; item 1 = 7
inline constexpr int kModeFixedShutter = 1066;
inline constexpr int kModeTwoTrigger = 1067;
inline constexpr int kModeOneTrigger = 1068;
inline constexpr int kVBinningOn = 1030;
inline constexpr int kVBinningOff = 1031;
inline constexpr int kGain0dB = 1083;
inline constexpr int kGain6dB = 1084;
inline constexpr int kGain12dB = 1085;
inline constexpr int kGainGroup = 1086;
inline constexpr int kTriggerNormal = 1094;
inline constexpr int kTriggerInvert = 1095;
inline constexpr int kHdResetOn = 1096;
inline constexpr int kHdResetOff = 1097;
inline constexpr int kHdResetGroup = 1098;
inline constexpr int kGainFineSlider = 1026;
inline constexpr int kGainFineValue = 1027;
inline constexpr int kBlackLevelSlider = 1028;
inline constexpr int kBlackLevelValue = 1029;
inline constexpr int kLoopPass = 1032;
inline constexpr int kCountStart = 1087;
}  // namespace panel

const DialogTemplate& ControlPanelFormTemplate(EditionKind edition);

}  // namespace tavin
