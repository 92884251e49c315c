#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Items as a user names them on the command line: by index or by label (any case), and item
// values as a user writes them, checked against the item's range in program form.

namespace tavin::ctl {

struct ItemResult {
    int index = -1;     // a camera item (readable and writable) when error is empty
    std::string error;  // for the user
};

// "9", "gain (fine)", "GAIN (FINE)". A label that several items share is refused with their
// indices, as is an item that does not travel to and from the camera.
ItemResult FindItem(std::string_view text);

// Whether the item holds two characters instead of a number.
bool IsCharacterPair(int index);

struct ValueResult {
    int32_t value = 0;  // program form, when error is empty
    std::string error;
};

// A number in decimal or 0x-hexadecimal, inside the item's program range unless `force`. A
// character-pair item also takes its two characters ("AB"); they must be characters the camera
// can show unless `force`.
ValueResult ParseItemValue(int index, std::string_view text, bool force);

// A program-form value as the user reads it: the number, or the two characters in quotes.
std::string ProgramValueText(int index, int32_t value);

// "9 GAIN (FINE)" or, for an item without a label, "14".
std::string DescribeItem(int index);

}  // namespace tavin::ctl
