#pragma once

#include <span>

#include "../Edition.h"

// Dialog templates as data: every control with its id, kind, text and rectangle in dialog
// units, in creation (and tab) order. One builder in the application turns a template into
// widgets; each control's objectName is its numeric id.

namespace tavin {

// Id of controls that nothing refers to.
inline constexpr int kStaticId = -1;
// Ids of the push buttons that accept and cancel a dialog; the builder connects them so.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;

enum class ControlKind {
    PushButton,
    DefaultPushButton,
    RadioButton,
    PushLikeRadio,  // a radio button drawn as a push button that stays down while selected
    GroupBox,
    Label,
    Edit,
    Icon,
    ValueLabel,  // sunken static text that the program fills
    HScrollBar,  // a horizontal scroll bar control
};

namespace style {
inline constexpr unsigned kGroup = 0x01;     // starts a new group (radio buttons exclude each
                                             // other only within one group)
inline constexpr unsigned kDisabled = 0x02;  // created disabled
inline constexpr unsigned kHScroll = 0x04;   // edit: scrolls horizontally (else the text is
                                             // limited to what fits)
inline constexpr unsigned kNoPrefix = 0x08;  // label: '&' is shown, not a mnemonic
inline constexpr unsigned kCenter = 0x10;    // group box: caption centred
}  // namespace style

struct DialogControl {
    int id;
    ControlKind kind;
    const char* text;
    int x, y, cx, cy;
    unsigned styles;
};

struct DialogTemplate {
    int id;
    const char* caption;
    int cx, cy;
    int pointSize;
    std::span<const DialogControl> controls;
};

namespace dialog {
inline constexpr int kAbout = 100;
inline constexpr int kCommSystem = 132;
inline constexpr int kSerialPort = 133;
}  // namespace dialog

// The start dialog: ten port buttons, the board makers, the library path and the baud rate.
namespace comm_system {
inline constexpr int kFirstPort = 1119;  // "COM 1"; "COM10" is kFirstPort + 9
inline constexpr int kEeuresys = 1106;
inline constexpr int kMatrox = 1107;
inline constexpr int kOtherFactory = 1108;
inline constexpr int kLibraryPath = 1109;
inline constexpr int kBrowse = 2110;
inline constexpr int kDllText = 1113;
inline constexpr int kBaud19200 = 1116;
inline constexpr int kBaud9600 = 1129;
inline constexpr int kOpen = 1111;
inline constexpr int kCancel = 1112;
inline constexpr int kBoardMakerBox = 1131;
inline constexpr int kRs232cBox = 1118;
inline constexpr int kBaudBox = 1130;
inline constexpr int kOpenPortBox = 1117;
}  // namespace comm_system

namespace serial_port {
inline constexpr int kCom1 = 1100;
inline constexpr int kCom2 = 1101;
inline constexpr int kBaud9600 = 1102;
inline constexpr int kBaud19200 = 1103;
}  // namespace serial_port

namespace about {
inline constexpr int kProgramLine = 1200;
inline constexpr int kRightsLine = 1201;
inline constexpr int kBuildLine = 1202;
}  // namespace about

const DialogTemplate& CommSystemDialogTemplate();
const DialogTemplate& SerialPortDialogTemplate();
const DialogTemplate& AboutDialogTemplate(EditionKind edition);

}  // namespace tavin
