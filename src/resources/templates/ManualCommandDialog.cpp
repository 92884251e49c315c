// "Manual Command": a message text to send, the camera's reply, and the buttons that act.

#include "ManualCommandDialog.h"

namespace tavin {

namespace {

using C = ControlKind;
using namespace style;

// Exit comes first so that it takes the focus when the dialog opens; no button is the default,
// so Enter in either field leaves the dialog like Exit. The transmission field does not scroll:
// it takes no more characters than it shows.
constexpr DialogControl kManualCommand[] = {
    {manual::kExit, C::PushButton, "Exit", 155, 90, 50, 14, kGroup},
    {kStaticId, C::Label, "Transmission Message", 7, 9, 90, 8, 0},
    {kStaticId, C::Label, "Received Message", 7, 47, 90, 8, 0},
    {manual::kReceived, C::Edit, "", 7, 58, 140, 12, kGroup | kHScroll},
    {manual::kSend, C::PushButton, "Send", 155, 19, 50, 14, kGroup},
    {manual::kRead, C::PushButton, "Read", 155, 37, 50, 14, 0},
    {manual::kTransmission, C::Edit, "", 7, 20, 140, 12, kGroup},
};

constexpr DialogTemplate kManualCommandTemplate{
    dialog::kManualCommand, "Manual Command", 212, 111, 8, kManualCommand};

}  // namespace

const DialogTemplate& ManualCommandDialogTemplate() {
    return kManualCommandTemplate;
}

}  // namespace tavin
