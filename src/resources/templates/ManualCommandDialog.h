#pragma once

#include "Dialogs.h"

// The developer's console for raw protocol messages.

namespace tavin {

namespace dialog {
inline constexpr int kManualCommand = 135;
}  // namespace dialog

namespace manual {
inline constexpr int kExit = kIdOk;
inline constexpr int kSend = 1110;
inline constexpr int kRead = 1111;
inline constexpr int kTransmission = 1112;
inline constexpr int kReceived = 1113;
}  // namespace manual

const DialogTemplate& ManualCommandDialogTemplate();

}  // namespace tavin
