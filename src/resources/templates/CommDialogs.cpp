// The two communication setup dialogs: the start dialog choosing the link, and the port dialog.

#include "Dialogs.h"

namespace tavin {

namespace {

using C = ControlKind;
using namespace style;

constexpr DialogControl kCommSystem[] = {
    {1119, C::PushLikeRadio, "COM 1", 21, 28, 30, 12, kGroup},
    {1120, C::PushLikeRadio, "COM 2", 21, 42, 30, 12, 0},
    {1121, C::PushLikeRadio, "COM 3", 21, 56, 30, 12, 0},
    {1122, C::PushLikeRadio, "COM 4", 21, 70, 30, 12, 0},
    {1123, C::PushLikeRadio, "COM 5", 21, 84, 30, 12, 0},
    {1124, C::PushLikeRadio, "COM 6", 56, 28, 30, 12, 0},
    {1125, C::PushLikeRadio, "COM 7", 56, 42, 30, 12, 0},
    {1126, C::PushLikeRadio, "COM 8", 56, 56, 30, 12, 0},
    {1127, C::PushLikeRadio, "COM 9", 56, 70, 30, 12, 0},
    {1128, C::PushLikeRadio, "COM10", 56, 84, 30, 12, 0},
    {1106, C::PushLikeRadio, "Eeuresys", 178, 30, 55, 14, 0},
    {1107, C::PushLikeRadio, "Matrox", 240, 30, 55, 14, 0},
    {1108, C::PushLikeRadio, "Other Factory", 178, 47, 60, 14, 0},
    {1109, C::Edit, "", 178, 64, 70, 12, kGroup | kDisabled | kHScroll},
    {2110, C::PushButton, "Browse", 266, 63, 33, 14, kGroup | kDisabled},
    {1116, C::RadioButton, "19200", 106, 30, 40, 10, kGroup},
    {1129, C::RadioButton, " 9600", 106, 44, 40, 10, 0},
    {1111, C::PushButton, "OPEN", 204, 90, 50, 14, kGroup},
    {1112, C::PushButton, "CANCEL", 261, 90, 50, 14, 0},
    {1131, C::GroupBox, "Select Board Maker", 171, 18, 133, 64, 0},
    {1113, C::Label, ".dll", 250, 66, 14, 8, kDisabled},
    {1118, C::GroupBox, "RS-232C Setting", 7, 7, 150, 97, 0},
    {1130, C::GroupBox, "Baud Rate", 99, 18, 52, 42, 0},
    {1117, C::GroupBox, "Open Port", 14, 18, 79, 82, 0},
    {kStaticId, C::GroupBox, "CameraLink Board", 164, 7, 147, 79, 0},
};

constexpr DialogControl kSerialPort[] = {
    {kStaticId, C::GroupBox, "Port", 7, 7, 55, 45, 0},
    {1100, C::RadioButton, "COM1", 16, 20, 38, 10, kGroup},
    {1101, C::RadioButton, "COM2", 16, 34, 38, 10, 0},
    {kStaticId, C::GroupBox, "Baud Rate", 69, 7, 55, 45, kGroup},
    {1103, C::RadioButton, "19200", 78, 20, 38, 10, kGroup | kDisabled},
    {1102, C::RadioButton, "9600", 78, 34, 38, 10, kDisabled},
    {1, C::DefaultPushButton, "OK", 130, 7, 50, 14, kGroup},
    {2, C::PushButton, "CANCEL", 130, 24, 50, 14, 0},
};

constexpr DialogTemplate kCommSystemTemplate{
    dialog::kCommSystem, "Select Communication System", 318, 111, 8, kCommSystem};
constexpr DialogTemplate kSerialPortTemplate{
    dialog::kSerialPort, "Serial Port Selection", 187, 93, 8, kSerialPort};

}  // namespace

const DialogTemplate& CommSystemDialogTemplate() {
    return kCommSystemTemplate;
}
const DialogTemplate& SerialPortDialogTemplate() {
    return kSerialPortTemplate;
}

}  // namespace tavin
