// Labels of the camera items and the texts the camera data set shows while it works.
// Rows 14, 40 and 41 deliberately have no text: those items show an empty label. The labels of
// row 28, which differs between the programs, live with the application and edition texts.

#include "../StringIds.h"
#include "../StringTable.h"

namespace tavin::strings {

namespace {
constexpr StringEntry kItemLabels[] = {
    {string_id::kSendingItem, "Sending %1 data to camera..."},
    {string_id::kLabelFd, "FD"},
    {string_id::kLabelShutterMode, "SHUTTER MODE"},
    {string_id::kLabelMode, "MODE"},
    {string_id::kLabelTrigger, "TRIGGER"},
    {string_id::kLabelTorikomi, "TORIKOMI"},
    {string_id::kLabelVBinning, "V-BINNING"},
    {string_id::kLabelMenu, "MENU"},
    {string_id::kLabelGainFine, "GAIN (FINE)"},
    {string_id::kLabelBlackLevel, "BLACK LEVEL"},
    {string_id::kLabelGainRough, "GAIN (ROUGH)"},
    {string_id::kLabelZoom, "ZOOM"},
    {string_id::kLabelFocus, "FOCUS"},
    {string_id::kLabelPartialScan, "PARTIALSCAN ON/OFF"},
    {string_id::kLabelVrgFine, "VRG(FINE)"},
    {string_id::kLabelVsubRough, "VSUB (Rough)"},
    {string_id::kLabelVsubFine, "VSUB (Fine)"},
    {string_id::kLabelIrisLevel, "IRIS Level"},
    {string_id::kLabelPedestalLevel, "Pedestal Level"},
    {string_id::kLabelMatrixGrRg, "C-Y Matrix (Gr-y, r-g)"},
    {string_id::kLabelMatrixGbBg, "C-Y Matrix (Gb-y, b-g)"},
    {string_id::kLabelMatrixGbRgPlus, "C-Y Matrix (Gb-y, r-g(+))"},
    {string_id::kLabelMatrixGbRgMinus, "C-Y Matrix (Gb-y, r-g(-))"},
    {string_id::kLabelMatrixGrBgPlus, "C-Y Matrix (Gr-y, b-g(+))"},
    {string_id::kLabelMatrixGrBgMinus, "C-Y Matrix (Gr-y, b-g(-))"},
    {string_id::kLabelWhiteClipY, "W. Clip Level(Y)"},
    {string_id::kLabelWhiteClipC, "W. Clip Level(C)"},
    {string_id::kLabelAgcGainMin, "AGC Gain MIN Level"},
    {string_id::kLabelReserved, "(Reserved)"},
};
}  // namespace

std::span<const StringEntry> ItemLabels() {
    return kItemLabels;
}

}  // namespace tavin::strings
