// "Command Menu": the rows and their items as a table, and the template built from it.

#include "CommandMenuDialog.h"

namespace tavin {

namespace {

using C = ControlKind;
using namespace style;
using command_menu::kNoItem;
using command_menu::kRowCount;

// Row 1 adjusts rough VRG where the camera has it; in the full program that item number is
// HD reset, which does not belong here. The R and B gains are not adjustable from the host.
// Row 18 is bound to the reserved item, which never goes to the camera.
constexpr CommandMenuRow kRows[kRowCount] = {
    {1122, 1124, 1123, "VRG (ROUGH)", kNoItem, 28},
    {1125, 1126, 1127, "VRG(FINE)", 29, 29},
    {1128, 1129, 1130, "VSUB (ROUGH)", 30, 30},
    {1131, 1132, 1133, "VSUB (FINE)", 31, 31},
    {1134, 1135, 1136, "IRIS LEVEL", 32, 32},
    {1137, 1138, 1139, "PEDESTAL LEVEL", 33, 33},
    {1140, 1141, 1142, "C-Y MATRIX", 34, 34},
    {1143, 1144, 1145, "C-Y MATRIX", 35, 35},
    {1146, 1147, 1148, "C-Y MATRIX", 36, 36},
    {1149, 1150, 1151, "C-Y MATRIX", 37, 37},
    {1152, 1153, 1154, "C-Y MATRIX", 38, 38},
    {1155, 1156, 1157, "C-Y MATRIX", 39, 39},
    {1158, 1159, 1160, "R GAIN", kNoItem, kNoItem},
    {1161, 1162, 1163, "B GAIN", kNoItem, kNoItem},
    {1164, 1165, 1166, "W.CLIP.LEVEL(Y)", 42, 42},
    {1167, 1168, 1169, "W.CLIP.LEVEL(C)", 43, 43},
    {1170, 1171, 1172, "AGC Gain MIN Level", 44, 44},
    {1173, 1174, 1175, "", 45, 45},
};

constexpr int kColumnX[] = {7, 120, 233};
constexpr int kRowY[] = {9, 39, 69, 99, 129, 159};
constexpr int kControlsPerRow = 3;
constexpr int kTrailingControls = 4;

constexpr auto MakeControls() {
    std::array<DialogControl, kRowCount * kControlsPerRow + kTrailingControls> controls{};
    size_t n = 0;
    for (int row = 0; row < kRowCount; ++row) {
        const CommandMenuRow& r = kRows[row];
        const int x = kColumnX[row / 6];
        const int y = kRowY[row % 6];
        controls[n++] = {r.titleId, C::Label, r.title, x, y, 78, 8, kGroup};
        controls[n++] = {r.sliderId, C::HScrollBar, nullptr, x, y + 12, 100, 10, kGroup};
        controls[n++] = {r.valueId, C::ValueLabel, "", x + 78, y - 2, 22, 10, kGroup};
    }
    controls[n++] = {kStaticId, C::Label, "Display Format", 7, 200, 48, 8, kGroup};
    controls[n++] = {command_menu::kDecimal, C::RadioButton, "Decimal", 58, 200, 42, 8, kGroup};
    controls[n++] = {
        command_menu::kHexadecimal, C::RadioButton, "Hexa-Decimal", 103, 200, 61, 8, 0};
    controls[n++] = {command_menu::kExit, C::DefaultPushButton, "EXIT", 283, 194, 50, 14, kGroup};
    return controls;
}

constexpr auto kControls = MakeControls();

constexpr DialogTemplate kCommandMenuTemplate{
    dialog::kCommandMenu, "Command Menu", 340, 215, 8, kControls};

}  // namespace

std::span<const CommandMenuRow> CommandMenuRows() {
    return kRows;
}

const DialogTemplate& CommandMenuDialogTemplate() {
    return kCommandMenuTemplate;
}

}  // namespace tavin
