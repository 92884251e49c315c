#pragma once

#include <cstdint>
#include <span>

// Which camera item each control of the panel form shows and writes.

namespace tavin::panel {

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

inline constexpr int kFdItem = 0;
inline constexpr int kShutterItem = 1;
inline constexpr int kModeItem = 2;
inline constexpr int kTriggerItem = 3;
inline constexpr int kVBinningModeItem = 5;
inline constexpr int kVBinningItem = 6;
inline constexpr int kGainFineItem = 9;
inline constexpr int kBlackLevelItem = 10;
inline constexpr int kGainRoughItem = 11;
inline constexpr int kHdResetItem = 28;

// A button writes one fixed value to its item. FD and MODE buttons apply the enabling rules to
// the new selection before the write.
struct RadioBinding {
    int id;
    int item;
    int32_t value;
    bool appliesRules;
};

// A slider writes its position to its item and shows it in its value label.
struct SliderBinding {
    int sliderId;
    int labelId;
    int item;
};

std::span<const RadioBinding> RadioBindings();
std::span<const SliderBinding> SliderBindings();

}  // namespace tavin::panel
