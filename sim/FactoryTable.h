#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

// The simulated camera's own idea of its items: which command group and item number address each
// setting, its factory value in camera form, how many bytes it occupies on the wire and what it
// is called. Typed in independently of the host's item table, so that a mistake in either shows
// up as a disagreement instead of being shared.

namespace tavin::sim {

// Items are addressed per command group: group 1 is written with 0x01 and read with 0x03,
// group 2 is written with 0x02 and read with 0x04. The same item number can exist in both.
enum class CommandGroup : uint8_t { None = 0, First = 1, Second = 2 };

// Item 0x0B of the first group is a different setting in the two camera models.
enum class CameraModel { Rs232c, CameraLink };

struct FactoryItem {
    CommandGroup group;
    uint8_t itemNumber;
    int32_t factoryValue;  // camera form
    int width;             // bytes the value occupies in a first-group message (1 to 3)
    std::string_view label;
    int32_t minValue;  // the bounds as the camera's documentation gives them (camera form)
    int32_t maxValue;
};

inline constexpr int kFactoryItemCount = 46;

// The rows in the order a .tvn data file stores them.
std::span<const FactoryItem> FactoryItems(CameraModel model);

// The row addressed by a command group and item number, if the camera knows it.
std::optional<FactoryItem> FindItem(CameraModel model, CommandGroup group, uint8_t itemNumber);

// The command group of a message's command byte (None for an unknown command).
CommandGroup GroupOfCommand(uint8_t command);
bool IsWriteCommand(uint8_t command);
bool IsReadCommand(uint8_t command);

}  // namespace tavin::sim
