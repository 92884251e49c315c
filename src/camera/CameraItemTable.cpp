#include "CameraItemTable.h"

#include <array>

#include "Edition.h"
#include "StringIds.h"
#include "StringTable.h"

namespace tavin {

namespace {

using namespace string_id;
using Table = std::array<CameraItemDef, kCameraItemCount>;

constexpr uint8_t kRW = CameraItemDef::kWritable | CameraItemDef::kReadable;

// Rows without converters.
constexpr CameraItemDef Plain(uint8_t read, uint8_t write, uint8_t item, int32_t def, int32_t min,
                              int32_t max, uint32_t label) {
    return {kRW, read, write, item, def, min, max, nullptr, nullptr, label};
}

// Two characters of the partial-scan text, "~~" by default.
constexpr CameraItemDef TextPair(uint8_t item) {
    return {kRW,
            0x03,
            0x01,
            item,
            0xE4E4,
            0,
            0,
            TextPairFromCamera,
            TextPairToCamera,
            kLabelPartialScan};
}

constexpr CameraItemDef SignMag(uint8_t item, int32_t def, uint32_t label) {
    return {kRW, 0x04, 0x02, item, def, 0x1FF, 0x0FF, LevelFromSignMag9, LevelToSignMag9, label};
}

constexpr CameraItemDef Split(uint8_t item, int32_t def, uint32_t label) {
    return {kRW, 0x04, 0x02, item, def, 0x080, 0x7FF, LevelFromSplit11, LevelToSplit11, label};
}

constexpr int kEditionRow = 28;

constexpr Table kFullTable = {{
    Plain(0x03, 0x01, 0x06, 1, 0, 1, kLabelFd),            // 0  FD
    Plain(0x03, 0x01, 0x08, 0, 0, 8, kLabelShutterMode),   // 1  shutter mode
    Plain(0x03, 0x01, 0x04, 0, 0, 3, kLabelMode),          // 2  mode
    Plain(0x03, 0x01, 0x05, 0, 0, 1, kLabelTrigger),       // 3  trigger
    Plain(0x03, 0x01, 0x0E, 1, 0, 3, kLabelTorikomi),      // 4
    Plain(0x03, 0x01, 0x1C, 0, 0, 8, kLabelVBinning),      // 5  V-binning
    Plain(0x03, 0x01, 0x1B, 1, 0, 1, kLabelVBinning),      // 6  V-binning
    Plain(0x03, 0x01, 0x2B, 0, 0, 4, kLabelMenu),          // 7  menu
    Plain(0x03, 0x01, 0x2A, 0, 0, 2, kLabelMenu),          // 8  menu
    Plain(0x03, 0x01, 0x18, 25, 0, 50, kLabelGainFine),    // 9  gain (fine)
    Plain(0x03, 0x01, 0x17, 25, 0, 50, kLabelBlackLevel),  // 10 black level
    Plain(0x03, 0x01, 0x0C, 0, 0, 7, kLabelGainRough),     // 11 gain (rough)
    Plain(0x03, 0x01, 0x2C, 0, 0, 2, kLabelZoom),          // 12 zoom
    Plain(0x03, 0x01, 0x2D, 0, 0, 3, kLabelFocus),         // 13 focus
    Plain(0x03, 0x01, 0x19, 5, 0, 26, kLabelRow14),        // 14 (no label text)
    Plain(0x03, 0x01, 0x15, 1, 0, 2, kLabelPartialScan),   // 15 partial scan on/off
    TextPair(0x1E),                                        // 16..27 partial-scan text
    TextPair(0x1F),
    TextPair(0x20),
    TextPair(0x21),
    TextPair(0x22),
    TextPair(0x23),
    TextPair(0x24),
    TextPair(0x25),
    TextPair(0x26),
    TextPair(0x27),
    TextPair(0x28),
    TextPair(0x29),
    Plain(0x03, 0x01, 0x0B, 1, 0, 1, kLabelHdReset),           // 28 HD reset
    Plain(0x03, 0x01, 0x01, 25, 0, 50, kLabelVrgFine),         // 29 VRG (fine)
    Plain(0x03, 0x01, 0x0A, 0, 0, 19, kLabelVsubRough),        // 30 VSUB (rough)
    Plain(0x03, 0x01, 0x16, 25, 0, 50, kLabelVsubFine),        // 31 VSUB (fine)
    Plain(0x03, 0x01, 0x1A, 100, 0, 255, kLabelIrisLevel),     // 32 iris level
    Plain(0x04, 0x02, 0x31, 17, 0, 255, kLabelPedestalLevel),  // 33 pedestal level
    Plain(0x04, 0x02, 0x3A, 81, 0, 255, kLabelMatrixGrRg),     // 34 C-Y matrix
    Plain(0x04, 0x02, 0x3B, 41, 0, 255, kLabelMatrixGbBg),     // 35 C-Y matrix
    SignMag(0x3C, 0x114, kLabelMatrixGbRgPlus),                // 36 C-Y matrix (signed)
    SignMag(0x3D, 0x10B, kLabelMatrixGbRgMinus),               // 37
    SignMag(0x3E, 0x117, kLabelMatrixGrBgPlus),                // 38
    SignMag(0x3F, 0x111, kLabelMatrixGrBgMinus),               // 39
    Split(0x19, 0x1F7, kLabelRow40),                           // 40 (no label text)
    Split(0x1A, 0x2A3, kLabelRow41),                           // 41 (no label text)
    Plain(0x04, 0x02, 0x34, 229, 0, 255, kLabelWhiteClipY),    // 42 white clip (Y)
    Plain(0x04, 0x02, 0x1F, 31, 0, 31, kLabelWhiteClipC),      // 43 white clip (C)
    Plain(0x03, 0x01, 0x2E, 0, 0, 1023, kLabelAgcGainMin),     // 44 AGC gain minimum
    {0, 0x00, 0x00, 0x00, 0, 0, 0, nullptr, nullptr,
     kLabelReserved},  // 45 reserved, never on the wire
}};

// The Camera-Link build has a rough VRG setting where the full build has HD reset.
constexpr Table WithRow(Table table, int index, CameraItemDef row) {
    table[index] = row;
    return table;
}
constexpr Table kCameraLinkTable =
    WithRow(kFullTable, kEditionRow, Plain(0x03, 0x01, 0x0B, 0, 0, 6, kLabelVrgRough));

const Table& CurrentTable() {
    return CurrentEdition().kind == EditionKind::Tavin ? kCameraLinkTable : kFullTable;
}

int32_t InForm(int index, int32_t value, bool toProgram) {
    return toProgram ? FromCamera(index, value) : value;
}

}  // namespace

const CameraItemDef& GetItemDef(int index) {
    return CurrentTable()[index];
}

int32_t GetDefault(int index, bool toProgram) {
    return InForm(index, GetItemDef(index).defaultValue, toProgram);
}

int32_t GetMin(int index, bool toProgram) {
    return InForm(index, GetItemDef(index).minValue, toProgram);
}

int32_t GetMax(int index, bool toProgram) {
    return InForm(index, GetItemDef(index).maxValue, toProgram);
}

int32_t FromCamera(int index, int32_t value) {
    const ValueConverter convert = GetItemDef(index).fromCamera;
    return convert ? convert(value) : value;
}

int32_t ToCamera(int index, int32_t value) {
    const ValueConverter convert = GetItemDef(index).toCamera;
    return convert ? convert(value) : value;
}

std::string GetLabel(int index) {
    return std::string(LoadText(GetItemDef(index).labelId));
}

bool IsCameraChar(int ch) {
    return CharToCameraCode(ch) != -1;
}

}  // namespace tavin
