#include "SoakChecks.h"

#include <algorithm>
#include <filesystem>

#include "CameraItemTable.h"
#include "FactoryTable.h"

namespace tavin::soak {

namespace {

int32_t CameraValue(const sim::CameraSettings& camera, uint8_t command, uint8_t itemNumber) {
    return camera.Get(sim::GroupOfCommand(command), itemNumber);
}

}  // namespace

bool ReachesCamera(int index, Operation operation) {
    const uint8_t flag =
        operation == Operation::kRead ? CameraItemDef::kReadable : CameraItemDef::kWritable;
    return (GetItemDef(index).flags & flag) != 0;
}

int32_t DrawValue(int index, uint32_t random) {
    const int32_t a = GetMin(index, true);
    const int32_t b = GetMax(index, true);
    const int64_t low = std::min(a, b);
    const int64_t span = static_cast<int64_t>(std::max(a, b)) - low + 1;
    return static_cast<int32_t>(low + static_cast<int64_t>(random % static_cast<uint64_t>(span)));
}

HeldValues::HeldValues(const CameraItemStore& store) {
    for (int i = 0; i < kCameraItemCount; ++i) {
        held_[static_cast<size_t>(i)] = store.GetValue(i, false);
    }
}

std::string HeldValues::Check(const CameraDataSet& data, const sim::CameraSettings& camera,
                              int index, Operation operation, int32_t value, int32_t result) {
    const CameraItemDef& def = GetItemDef(index);
    int32_t& held = held_[static_cast<size_t>(index)];
    if (result >= 0 && operation == Operation::kWrite) {
        if (ReachesCamera(index, operation)) {
            const int32_t sent = ToCamera(index, value);
            const int32_t kept = CameraValue(camera, def.writeCommand, def.itemNumber);
            if (kept != sent) {
                return "write reported success but the camera holds " + std::to_string(kept) +
                       ", not " + std::to_string(sent);
            }
        }
        held = value;
    } else if (result >= 0 && ReachesCamera(index, operation)) {
        held = FromCamera(index, CameraValue(camera, def.readCommand, def.itemNumber));
    }
    if (result < 0 && -result != data.GetStatus()) {
        return "returned " + std::to_string(result) + " but recorded status " +
               std::to_string(data.GetStatus());
    }
    for (int i = 0; i < kCameraItemCount; ++i) {
        if (data.GetValue(i, false) != held_[static_cast<size_t>(i)]) {
            return "item " + std::to_string(i) + " holds " +
                   std::to_string(data.GetValue(i, false)) + ", expected " +
                   std::to_string(held_[static_cast<size_t>(i)]);
        }
    }
    return {};
}

int OpenDescriptorCount() {
    int count = 0;
    for ([[maybe_unused]] const auto& entry :
         std::filesystem::directory_iterator("/proc/self/fd")) {
        ++count;
    }
    return count;
}

}  // namespace tavin::soak
