#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "CameraDataSet.h"
#include "CameraSettings.h"
#include "FaultPlan.h"

// The soak's per-exchange bookkeeping: what the data set must hold after each item operation,
// given what the camera accepted.

namespace tavin::soak {

// Whether the operation on `index` reaches the camera at all.
bool ReachesCamera(int index, Operation operation);

// A random program-form value within the item's range.
int32_t DrawValue(int index, uint32_t random);

class HeldValues {
  public:
    explicit HeldValues(const CameraItemStore& store);

    // Checks one finished operation and updates the expected values. Returns an empty string
    // when everything holds, else what went wrong.
    std::string Check(const CameraDataSet& data, const sim::CameraSettings& camera, int index,
                      Operation operation, int32_t value, int32_t result);

  private:
    std::array<int32_t, kCameraItemCount> held_{};
};

// Open file descriptors of this process.
int OpenDescriptorCount();

}  // namespace tavin::soak
