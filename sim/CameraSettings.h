#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string_view>
#include <utility>

#include "FactoryTable.h"

// The values the simulated camera holds, in camera form, one per command group and item number.
// Items the camera does not know can still be written and read back, as a generous camera would.

namespace tavin::sim {

class CameraSettings {
  public:
    CameraSettings() : CameraSettings(CameraModel::Rs232c) {}
    explicit CameraSettings(CameraModel model);

    CameraModel Model() const { return model_; }

    // Back to the values the camera left the factory with.
    void ResetToFactory();
    // Takes the values of a data file, given in the file's item order; the placeholder slot is
    // ignored.
    void Load(std::span<const int32_t, kFactoryItemCount> values);

    int32_t Get(CommandGroup group, uint8_t itemNumber) const;
    void Set(CommandGroup group, uint8_t itemNumber, int32_t value);

    // Bytes of a first-group value on the wire; unknown items use the full three.
    int WidthOf(CommandGroup group, uint8_t itemNumber) const;
    // The item's label, empty when the camera has none for it.
    std::string_view LabelOf(CommandGroup group, uint8_t itemNumber) const;

  private:
    using Key = std::pair<CommandGroup, uint8_t>;

    CameraModel model_;
    std::map<Key, int32_t> values_;
};

}  // namespace tavin::sim
