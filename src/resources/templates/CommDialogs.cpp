// The two communication setup dialogs: the start dialog choosing the link, and the port dialog.

#include "Dialogs.h"

namespace tavin {

namespace {

using C = ControlKind;
using namespace style;
using namespace comm_system;

constexpr DialogControl kCommSystem[] = {
    {kFirstPort, C::PushLikeRadio, "COM 1", 21, 28, 30, 12, kGroup},
    {kFirstPort + 1, C::PushLikeRadio, "COM 2", 21, 42, 30, 12, 0},
    {kFirstPort + 2, C::PushLikeRadio, "COM 3", 21, 56, 30, 12, 0},
    {kFirstPort + 3, C::PushLikeRadio, "COM 4", 21, 70, 30, 12, 0},
    {kFirstPort + 4, C::PushLikeRadio, "COM 5", 21, 84, 30, 12, 0},
    {kFirstPort + 5, C::PushLikeRadio, "COM 6", 56, 28, 30, 12, 0},
    {kFirstPort + 6, C::PushLikeRadio, "COM 7", 56, 42, 30, 12, 0},
    {kFirstPort + 7, C::PushLikeRadio, "COM 8", 56, 56, 30, 12, 0},
    {kFirstPort + 8, C::PushLikeRadio, "COM 9", 56, 70, 30, 12, 0},
    {kFirstPort + 9, C::PushLikeRadio, "COM10", 56, 84, 30, 12, 0},
    {kEeuresys, C::PushLikeRadio, "Eeuresys", 178, 30, 55, 14, 0},
    {kMatrox, C::PushLikeRadio, "Matrox", 240, 30, 55, 14, 0},
    {kOtherFactory, C::PushLikeRadio, "Other Factory", 178, 47, 60, 14, 0},
    {kLibraryPath, C::Edit, "", 178, 64, 70, 12, kGroup | kDisabled | kHScroll},
    {kBrowse, C::PushButton, "Browse", 266, 63, 33, 14, kGroup | kDisabled},
    {kBaud19200, C::RadioButton, "19200", 106, 30, 40, 10, kGroup},
    {kBaud9600, C::RadioButton, " 9600", 106, 44, 40, 10, 0},
    {kOpen, C::PushButton, "OPEN", 204, 90, 50, 14, kGroup},
    {kCancel, C::PushButton, "CANCEL", 261, 90, 50, 14, 0},
    {kBoardMakerBox, C::GroupBox, "Select Board Maker", 171, 18, 133, 64, 0},
    {kDllText, C::Label, ".dll", 250, 66, 14, 8, kDisabled},
    {kRs232cBox, C::GroupBox, "RS-232C Setting", 7, 7, 150, 97, 0},
    {kBaudBox, C::GroupBox, "Baud Rate", 99, 18, 52, 42, 0},
    {kOpenPortBox, C::GroupBox, "Open Port", 14, 18, 79, 82, 0},
    {kStaticId, C::GroupBox, "CameraLink Board", 164, 7, 147, 79, 0},
};

constexpr DialogControl kSerialPort[] = {
    {kStaticId, C::GroupBox, "Port", 7, 7, 55, 45, 0},
    {serial_port::kCom1, C::RadioButton, "COM1", 16, 20, 38, 10, kGroup},
    {serial_port::kCom2, C::RadioButton, "COM2", 16, 34, 38, 10, 0},
    {kStaticId, C::GroupBox, "Baud Rate", 69, 7, 55, 45, kGroup},
    {serial_port::kBaud19200, C::RadioButton, "19200", 78, 20, 38, 10, kGroup | kDisabled},
    {serial_port::kBaud9600, C::RadioButton, "9600", 78, 34, 38, 10, kDisabled},
    {kIdOk, C::DefaultPushButton, "OK", 130, 7, 50, 14, kGroup},
    {kIdCancel, C::PushButton, "CANCEL", 130, 24, 50, 14, 0},
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
