#pragma once

#include <span>

#include "../Edition.h"

// Dialog templates as data: every control with its id, kind, text and rectangle in dialog
// units, in creation (and tab) order. One builder in the application turns a template into
// widgets; each control's objectName is its numeric id.

namespace tavin {

// Id of controls that nothing refers to.
inline constexpr int kStaticId = -1;

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

namespace about {
inline constexpr int kProgramLine = 1200;
inline constexpr int kRightsLine = 1201;
inline constexpr int kBuildLine = 1202;
}  // namespace about

const DialogTemplate& CommSystemDialogTemplate();
const DialogTemplate& SerialPortDialogTemplate();
const DialogTemplate& AboutDialogTemplate(EditionKind edition);

}  // namespace tavin
