#pragma once

#include <array>
#include <cstdint>

#include "CameraItemTable.h"
#include "CommStatus.h"

// The program's copy of the camera's item values, always in program form. It shares the one
// status record of the camera link (virtual base) but performs no input or output itself.
// Values are never checked against the item bounds: they are stored as given.

namespace tavin {

class CameraItemStore : public virtual CommStatus {
  public:
    // Every item starts at its default.
    CameraItemStore();
    ~CameraItemStore() override = default;

    // Stores the item's default (program form) and returns it.
    int32_t ResetItem(int index);

    // The stored value; converted to camera form when `toCamera` is set.
    int32_t GetValue(int index, bool toCamera) const;

    // Stores `value`, converted from camera form first when `fromCamera` is set.
    // Returns 1 when the stored value changed, 0 when it was already equal.
    int32_t SetValue(int index, int32_t value, bool fromCamera);

  private:
    std::array<int32_t, kCameraItemCount> values_{};
};

}  // namespace tavin
