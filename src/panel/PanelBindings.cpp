#include "PanelBindings.h"

namespace tavin::panel {

namespace {

constexpr RadioBinding kRadios[] = {
    {kFdOn, kFdItem, 0, true},
    {kFdOff, kFdItem, 1, true},
    {kShutterFirst + 0, kShutterItem, 0, false},
    {kShutterFirst + 1, kShutterItem, 1, false},
    {kShutterFirst + 2, kShutterItem, 2, false},
    {kShutterFirst + 3, kShutterItem, 3, false},
    {kShutterFirst + 4, kShutterItem, 4, false},
    {kShutterFirst + 5, kShutterItem, 5, false},
    {kShutterFirst + 6, kShutterItem, 6, false},
    {kShutterFirst + 7, kShutterItem, 7, false},
    {kModeFixedShutter, kModeItem, 0, true},
    {kModeTwoTrigger, kModeItem, 1, true},
    {kModeOneTrigger, kModeItem, 2, true},
    {kTriggerNormal, kTriggerItem, 0, false},
    {kTriggerInvert, kTriggerItem, 1, false},
    {kVBinningOn, kVBinningItem, 0, false},
    {kVBinningOff, kVBinningItem, 1, false},
    {kGain0dB, kGainRoughItem, 0, false},
    {kGain6dB, kGainRoughItem, 1, false},
    {kGain12dB, kGainRoughItem, 2, false},
    {kHdResetOn, kHdResetItem, 0, false},
    {kHdResetOff, kHdResetItem, 1, false},
};

constexpr SliderBinding kSliders[] = {
    {kGainFineSlider, kGainFineValue, kGainFineItem},
    {kBlackLevelSlider, kBlackLevelValue, kBlackLevelItem},
};

}  // namespace

std::span<const RadioBinding> RadioBindings() {
    return kRadios;
}

std::span<const SliderBinding> SliderBindings() {
    return kSliders;
}

}  // namespace tavin::panel
