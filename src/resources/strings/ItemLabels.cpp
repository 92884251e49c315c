// Labels of the camera items and the texts the camera data set shows while it works.
// Ids 62212, 62226 and 62227 deliberately have no text: those items show an empty label.
// 62214 and 62232 (row 28, which differs between the programs) live with the edition texts.

#include "../StringTable.h"

namespace tavin::strings {

namespace {
constexpr StringEntry kItemLabels[] = {
    {62001, "Sending %1 data to camera..."},
    {62200, "FD"},
    {62201, "SHUTTER MODE"},
    {62202, "MODE"},
    {62203, "TRIGGER"},
    {62204, "TORIKOMI"},
    {62205, "V-BINNING"},
    {62206, "MENU"},
    {62207, "GAIN (FINE)"},
    {62208, "BLACK LEVEL"},
    {62209, "GAIN (ROUGH)"},
    {62210, "ZOOM"},
    {62211, "FOCUS"},
    {62213, "PARTIALSCAN ON/OFF"},
    {62215, "VRG(FINE)"},
    {62216, "VSUB (Rough)"},
    {62217, "VSUB (Fine)"},
    {62218, "IRIS Level"},
    {62219, "Pedestal Level"},
    {62220, "C-Y Matrix (Gr-y, r-g)"},
    {62221, "C-Y Matrix (Gb-y, b-g)"},
    {62222, "C-Y Matrix (Gb-y, r-g(+))"},
    {62223, "C-Y Matrix (Gb-y, r-g(-))"},
    {62224, "C-Y Matrix (Gr-y, b-g(+))"},
    {62225, "C-Y Matrix (Gr-y, b-g(-))"},
    {62228, "W. Clip Level(Y)"},
    {62229, "W. Clip Level(C)"},
    {62230, "AGC Gain MIN Level"},
    {62231, "(Reserved)"},
};
}  // namespace

std::span<const StringEntry> ItemLabels() {
    return kItemLabels;
}

}  // namespace tavin::strings
