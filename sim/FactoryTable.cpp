#include "FactoryTable.h"

#include <algorithm>
#include <array>

namespace tavin::sim {

namespace {

struct Row {
    CommandGroup group;
    uint8_t itemNumber;
    int32_t factoryValue;
    int32_t minValue;
    int32_t maxValue;
    std::string_view label;
};

// A first-group value is as wide as the widest of its bounds.
constexpr int WidthOf(int32_t minValue, int32_t maxValue) {
    const int32_t both = minValue | maxValue;
    if (both & 0xFF0000) {
        return 3;
    }
    return (both & 0xFF00) ? 2 : 1;
}

constexpr auto G1 = CommandGroup::First;
constexpr auto G2 = CommandGroup::Second;
constexpr int32_t kTwoTildes = 0xE4E4;  // two "~" in the camera's character set

constexpr std::array<Row, kFactoryItemCount> kRows{{
    {G1, 0x06, 1, 0, 1, "FD"},
    {G1, 0x08, 0, 0, 8, "SHUTTER MODE"},
    {G1, 0x04, 0, 0, 3, "MODE"},
    {G1, 0x05, 0, 0, 1, "TRIGGER"},
    {G1, 0x0E, 1, 0, 3, "TORIKOMI"},
    {G1, 0x1C, 0, 0, 8, "V-BINNING"},
    {G1, 0x1B, 1, 0, 1, "V-BINNING"},
    {G1, 0x2B, 0, 0, 4, "MENU"},
    {G1, 0x2A, 0, 0, 2, "MENU"},
    {G1, 0x18, 25, 0, 50, "GAIN (FINE)"},
    {G1, 0x17, 25, 0, 50, "BLACK LEVEL"},
    {G1, 0x0C, 0, 0, 7, "GAIN (ROUGH)"},
    {G1, 0x2C, 0, 0, 2, "ZOOM"},
    {G1, 0x2D, 0, 0, 3, "FOCUS"},
    {G1, 0x19, 5, 0, 26, ""},
    {G1, 0x15, 1, 0, 2, "PARTIALSCAN ON/OFF"},
    {G1, 0x1E, kTwoTildes, 0, 0, "PARTIALSCAN ON/OFF"},
    {G1, 0x1F, kTwoTildes, 0, 0, "PARTIALSCAN ON/OFF"},
    {G1, 0x20, kTwoTildes, 0, 0, "PARTIALSCAN ON/OFF"},
    {G1, 0x21, kTwoTildes, 0, 0, "PARTIALSCAN ON/OFF"},
    {G1, 0x22, kTwoTildes, 0, 0, "PARTIALSCAN ON/OFF"},
    {G1, 0x23, kTwoTildes, 0, 0, "PARTIALSCAN ON/OFF"},
    {G1, 0x24, kTwoTildes, 0, 0, "PARTIALSCAN ON/OFF"},
    {G1, 0x25, kTwoTildes, 0, 0, "PARTIALSCAN ON/OFF"},
    {G1, 0x26, kTwoTildes, 0, 0, "PARTIALSCAN ON/OFF"},
    {G1, 0x27, kTwoTildes, 0, 0, "PARTIALSCAN ON/OFF"},
    {G1, 0x28, kTwoTildes, 0, 0, "PARTIALSCAN ON/OFF"},
    {G1, 0x29, kTwoTildes, 0, 0, "PARTIALSCAN ON/OFF"},
    {G1, 0x0B, 1, 0, 1, "HD RESET"},  // the Camera Link model differs, see below
    {G1, 0x01, 25, 0, 50, "VRG(FINE)"},
    {G1, 0x0A, 0, 0, 19, "VSUB (Rough)"},
    {G1, 0x16, 25, 0, 50, "VSUB (Fine)"},
    {G1, 0x1A, 100, 0, 255, "IRIS Level"},
    {G2, 0x31, 17, 0, 255, "Pedestal Level"},
    {G2, 0x3A, 81, 0, 255, "C-Y Matrix (Gr-y, r-g)"},
    {G2, 0x3B, 41, 0, 255, "C-Y Matrix (Gb-y, b-g)"},
    {G2, 0x3C, 0x114, 0x1FF, 0x0FF, "C-Y Matrix (Gb-y, r-g(+))"},
    {G2, 0x3D, 0x10B, 0x1FF, 0x0FF, "C-Y Matrix (Gb-y, r-g(-))"},
    {G2, 0x3E, 0x117, 0x1FF, 0x0FF, "C-Y Matrix (Gr-y, b-g(+))"},
    {G2, 0x3F, 0x111, 0x1FF, 0x0FF, "C-Y Matrix (Gr-y, b-g(-))"},
    {G2, 0x19, 0x1F7, 0x080, 0x7FF, ""},
    {G2, 0x1A, 0x2A3, 0x080, 0x7FF, ""},
    {G2, 0x34, 229, 0, 255, "W. Clip Level(Y)"},
    {G2, 0x1F, 31, 0, 31, "W. Clip Level(C)"},
    {G1, 0x2E, 0, 0, 1023, "AGC Gain MIN Level"},
    {CommandGroup::None, 0x00, 0, 0, 0, "(Reserved)"},  // a placeholder slot of the data file
}};

constexpr int kModelSpecificRow = 28;
constexpr Row kCameraLinkRow28{G1, 0x0B, 0, 0, 6, "VRG (Rough)"};

constexpr FactoryItem ToItem(const Row& row) {
    return {row.group, row.itemNumber, row.factoryValue, WidthOf(row.minValue, row.maxValue),
            row.label, row.minValue,   row.maxValue};
}

constexpr std::array<FactoryItem, kFactoryItemCount> BuildItems(CameraModel model) {
    std::array<FactoryItem, kFactoryItemCount> items{};
    for (int i = 0; i < kFactoryItemCount; ++i) {
        items[i] = ToItem(kRows[i]);
    }
    if (model == CameraModel::CameraLink) {
        items[kModelSpecificRow] = ToItem(kCameraLinkRow28);
    }
    return items;
}

constexpr auto kRs232cItems = BuildItems(CameraModel::Rs232c);
constexpr auto kCameraLinkItems = BuildItems(CameraModel::CameraLink);

}  // namespace

std::span<const FactoryItem> FactoryItems(CameraModel model) {
    return model == CameraModel::CameraLink ? std::span(kCameraLinkItems) : std::span(kRs232cItems);
}

std::optional<FactoryItem> FindItem(CameraModel model, CommandGroup group, uint8_t itemNumber) {
    if (group == CommandGroup::None) {
        return std::nullopt;
    }
    const auto items = FactoryItems(model);
    const auto it = std::find_if(items.begin(), items.end(), [&](const FactoryItem& item) {
        return item.group == group && item.itemNumber == itemNumber;
    });
    if (it == items.end()) {
        return std::nullopt;
    }
    return *it;
}

CommandGroup GroupOfCommand(uint8_t command) {
    switch (command) {
        case 0x01:
        case 0x03:
            return CommandGroup::First;
        case 0x02:
        case 0x04:
            return CommandGroup::Second;
        default:
            return CommandGroup::None;
    }
}

bool IsWriteCommand(uint8_t command) {
    return command == 0x01 || command == 0x02;
}
bool IsReadCommand(uint8_t command) {
    return command == 0x03 || command == 0x04;
}

}  // namespace tavin::sim
