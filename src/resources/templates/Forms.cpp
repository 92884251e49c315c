// The control panel form of both programs. The layouts differ in position only, except that the
// full build carries the HD RESET group and the Camera-Link-only build the shutter loop test.

#include "Forms.h"

namespace tavin {

namespace {

using C = ControlKind;
using namespace style;
using namespace panel;

constexpr DialogControl kMorva7EPanel[] = {
    {kStaticId, C::GroupBox, "FD", 28, 7, 56, 46, kCenter},
    {kFdOn, C::PushLikeRadio, "ON", 36, 18, 40, 14, kGroup},
    {kFdOff, C::PushLikeRadio, "OFF", 36, 31, 40, 14, 0},
    {kStaticId, C::GroupBox, "SHUTTER SPEED", 118, 7, 67, 111, kCenter},
    {kShutterFirst, C::RadioButton, "1/30", 132, 22, 44, 10, kGroup},
    {kShutterFirst + 1, C::RadioButton, "1/125", 132, 33, 44, 10, 0},
    {kShutterFirst + 2, C::RadioButton, "1/250", 132, 45, 44, 10, 0},
    {kShutterFirst + 3, C::RadioButton, "1/1000", 132, 57, 44, 10, 0},
    {kShutterFirst + 4, C::RadioButton, "1/2000", 132, 70, 44, 10, 0},
    {kShutterFirst + 5, C::RadioButton, "1/4000", 132, 82, 44, 10, 0},
    {kShutterFirst + 6, C::RadioButton, "1/10000", 132, 94, 44, 10, 0},
    {kShutterLast, C::RadioButton, "1/50000", 132, 105, 44, 10, 0},
    {kStaticId, C::GroupBox, "MODE", 7, 72, 98, 61, kCenter},
    {kModeFixedShutter, C::PushLikeRadio, "FIXED SHUTTER / NOR.", 15, 87, 83, 14, kGroup},
    {kModeTwoTrigger, C::PushLikeRadio, "2TRIG / NOR. SHUT.", 15, 100, 83, 14, 0},
    {kModeOneTrigger, C::PushLikeRadio, "1TRIGGER", 15, 114, 83, 14, 0},
    {kStaticId, C::GroupBox, "4Xaccelerated mode", 15, 151, 81, 50, kCenter},
    {kVBinningOn, C::PushLikeRadio, "ON", 34, 165, 44, 14, kGroup},
    {kVBinningOff, C::PushLikeRadio, "OFF", 34, 178, 44, 14, 0},
    {kGainGroup, C::GroupBox, "GAIN (ROUGH)", 117, 148, 57, 57, kCenter},
    {kGain0dB, C::PushLikeRadio, "0dB", 129, 160, 33, 13, kGroup},
    {kGain6dB, C::PushLikeRadio, "6dB", 129, 173, 33, 12, 0},
    {kGain12dB, C::PushLikeRadio, "12dB", 129, 185, 33, 12, 0},
    {kStaticId, C::Label, "GAIN (FINE)", 196, 145, 55, 8, 0},
    {kGainFineSlider, C::HScrollBar, "", 198, 156, 100, 10, kGroup},
    {kGainFineValue, C::ValueLabel, "", 270, 141, 27, 10, 0},
    {kStaticId, C::Label, "BLACK LEVEL", 196, 184, 46, 8, 0},
    {kBlackLevelSlider, C::HScrollBar, "", 198, 197, 100, 10, kGroup},
    {kBlackLevelValue, C::ValueLabel, "", 270, 183, 27, 10, 0},
    {kStaticId, C::GroupBox, "TRIGGER", 220, 7, 67, 48, kCenter},
    {kTriggerNormal, C::PushLikeRadio, "NORMAL", 228, 20, 52, 13, kGroup},
    {kTriggerInvert, C::PushLikeRadio, "INVERT", 228, 33, 52, 13, 0},
    {kHdResetGroup, C::GroupBox, "HD RESET", 220, 71, 67, 48, kCenter},
    {kHdResetOn, C::PushLikeRadio, "ON", 228, 84, 52, 13, kGroup},
    {kHdResetOff, C::PushLikeRadio, "OFF", 228, 97, 52, 13, 0},
};

constexpr DialogControl kTavinPanel[] = {
    {kStaticId, C::GroupBox, "FD", 32, 15, 56, 46, kCenter},
    {kFdOn, C::PushLikeRadio, "ON", 40, 26, 40, 14, kGroup},
    {kFdOff, C::PushLikeRadio, "OFF", 40, 39, 40, 14, 0},
    {kStaticId, C::GroupBox, "SHUTTER SPEED", 130, 26, 67, 111, kCenter},
    {kShutterFirst, C::RadioButton, "1/30", 144, 41, 44, 10, kGroup},
    {kShutterFirst + 1, C::RadioButton, "1/125", 144, 52, 44, 10, 0},
    {kShutterFirst + 2, C::RadioButton, "1/250", 144, 64, 44, 10, 0},
    {kShutterFirst + 3, C::RadioButton, "1/1000", 144, 76, 44, 10, 0},
    {kShutterFirst + 4, C::RadioButton, "1/2000", 144, 89, 44, 10, 0},
    {kShutterFirst + 5, C::RadioButton, "1/4000", 144, 101, 44, 10, 0},
    {kShutterFirst + 6, C::RadioButton, "1/10000", 144, 113, 44, 10, 0},
    {kShutterLast, C::RadioButton, "1/50000", 144, 124, 44, 10, 0},
    {kStaticId, C::GroupBox, "MODE", 11, 80, 98, 61, kCenter},
    {kModeFixedShutter, C::PushLikeRadio, "FIXED SHUTTER / NOR.", 19, 95, 83, 14, kGroup},
    {kModeTwoTrigger, C::PushLikeRadio, "2TRIG / NOR. SHUT.", 19, 108, 83, 14, 0},
    {kModeOneTrigger, C::PushLikeRadio, "1TRIGGER", 19, 122, 83, 14, 0},
    {kStaticId, C::GroupBox, "V-BINNING", 31, 168, 68, 50, kCenter},
    {kVBinningOn, C::PushLikeRadio, "ON", 44, 182, 44, 14, kGroup},
    {kVBinningOff, C::PushLikeRadio, "OFF", 44, 195, 44, 14, 0},
    {kGainGroup, C::GroupBox, "GAIN (ROUGH)", 128, 164, 57, 57, kCenter},
    {kGain0dB, C::PushLikeRadio, "0dB", 140, 177, 33, 13, kGroup},
    {kGain6dB, C::PushLikeRadio, "6dB", 140, 190, 33, 12, 0},
    {kGain12dB, C::PushLikeRadio, "12dB", 140, 202, 33, 12, 0},
    {kStaticId, C::Label, "GAIN (FINE)", 221, 162, 55, 8, 0},
    {kGainFineSlider, C::HScrollBar, "", 224, 173, 100, 10, kGroup},
    {kGainFineValue, C::ValueLabel, "", 295, 158, 27, 10, 0},
    {kStaticId, C::Label, "BLACK LEVEL", 221, 201, 46, 8, 0},
    {kBlackLevelSlider, C::HScrollBar, "", 224, 214, 100, 10, kGroup},
    {kBlackLevelValue, C::ValueLabel, "", 295, 199, 27, 10, 0},
    {kStaticId, C::GroupBox, "TRIGGER", 245, 66, 67, 48, kCenter},
    {kTriggerNormal, C::PushLikeRadio, "NORMAL", 254, 79, 52, 13, kGroup},
    {kTriggerInvert, C::PushLikeRadio, "INVERT", 254, 92, 52, 13, 0},
    {kLoopPass, C::ValueLabel, "", 259, 15, 27, 10, 0},
    {kCountStart, C::PushLikeRadio, "Count Start", 248, 27, 52, 13, kGroup},
    {kStaticId, C::Label, "roop", 294, 15, 15, 8, 0},
};

constexpr DialogTemplate kMorva7EPanelTemplate{form::kControlPanel, "", 305, 215, 8, kMorva7EPanel};
constexpr DialogTemplate kTavinPanelTemplate{form::kControlPanel, "", 371, 249, 8, kTavinPanel};

}  // namespace

const DialogTemplate& ControlPanelFormTemplate(EditionKind edition) {
    return edition == EditionKind::Tavin ? kTavinPanelTemplate : kMorva7EPanelTemplate;
}

}  // namespace tavin
