#include "CameraSettings.h"

namespace tavin::sim {

namespace {
// A message carries three value bytes, so that is all a camera register can hold.
constexpr int32_t kValueMask = 0xFFFFFF;
}  // namespace

CameraSettings::CameraSettings(CameraModel model) : model_(model) {
    ResetToFactory();
}

void CameraSettings::ResetToFactory() {
    values_.clear();
    for (const FactoryItem& item : FactoryItems(model_)) {
        if (item.group != CommandGroup::None) {
            Set(item.group, item.itemNumber, item.factoryValue);
        }
    }
}

void CameraSettings::Load(std::span<const int32_t, kFactoryItemCount> values) {
    const auto items = FactoryItems(model_);
    for (int i = 0; i < kFactoryItemCount; ++i) {
        if (items[i].group != CommandGroup::None) {
            Set(items[i].group, items[i].itemNumber, values[i]);
        }
    }
}

int32_t CameraSettings::Get(CommandGroup group, uint8_t itemNumber) const {
    const auto it = values_.find({group, itemNumber});
    return it == values_.end() ? 0 : it->second;
}

void CameraSettings::Set(CommandGroup group, uint8_t itemNumber, int32_t value) {
    values_[{group, itemNumber}] = value & kValueMask;
}

int CameraSettings::WidthOf(CommandGroup group, uint8_t itemNumber) const {
    const auto item = FindItem(model_, group, itemNumber);
    return item ? item->width : 3;
}

std::string_view CameraSettings::LabelOf(CommandGroup group, uint8_t itemNumber) const {
    const auto item = FindItem(model_, group, itemNumber);
    return item ? item->label : std::string_view{};
}

}  // namespace tavin::sim
