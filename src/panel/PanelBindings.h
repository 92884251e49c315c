#pragma once

#include <cstdint>
#include <span>

#include "templates/Forms.h"

// Which camera item each control of the panel form shows and writes. The controls' ids are the
// form's (templates/Forms.h).

namespace tavin::panel {

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
