#include "CameraItemStore.h"

namespace tavin {

CameraItemStore::CameraItemStore() {
    for (int index = 0; index < kCameraItemCount; ++index) {
        ResetItem(index);
    }
}

int32_t CameraItemStore::ResetItem(int index) {
    return values_[index] = GetDefault(index, true);
}

int32_t CameraItemStore::GetValue(int index, bool toCamera) const {
    return toCamera ? ToCamera(index, values_[index]) : values_[index];
}

int32_t CameraItemStore::SetValue(int index, int32_t value, bool fromCamera) {
    if (fromCamera) {
        value = FromCamera(index, value);
    }
    const int32_t old = values_[index];
    values_[index] = value;
    return old != value ? 1 : 0;
}

}  // namespace tavin
