#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "ValueConverters.h"

// The constant table of the camera's items: how each item is addressed on the wire, its
// default and bounds (camera form), how its value converts between camera and program form,
// and its label. Row 28 depends on the running program (see Edition.h).
//
// None of these functions checks the index; callers pass 0..kCameraItemCount-1.

namespace tavin {

inline constexpr int kCameraItemCount = 46;

// A value for every item, in the order of the table.
using ItemValues = std::array<int32_t, kCameraItemCount>;

struct CameraItemDef {
    static constexpr uint8_t kWritable = 0x01;
    static constexpr uint8_t kReadable = 0x02;

    uint8_t flags;
    uint8_t readCommand;
    uint8_t writeCommand;
    uint8_t itemNumber;  // one number space per command pair
    int32_t defaultValue;
    int32_t minValue;
    int32_t maxValue;
    ValueConverter fromCamera;  // nullptr: the same number in both forms
    ValueConverter toCamera;
    uint32_t labelId;
};

// The row of `index` in the current program's table.
const CameraItemDef& GetItemDef(int index);

// The row's default, minimum or maximum; in program form when `toProgram` is set. For converted
// rows the camera-form bounds are not ordered as numbers, so controls ask for program form.
int32_t GetDefault(int index, bool toProgram);
int32_t GetMin(int index, bool toProgram);
int32_t GetMax(int index, bool toProgram);

// The row's converters; the value unchanged when the row has none.
int32_t FromCamera(int index, int32_t value);
int32_t ToCamera(int index, int32_t value);

// The label text, looked up each time; empty when the string table has no text for it.
std::string GetLabel(int index);

// Whether the camera's character set has the host character `ch`. The whole integer counts:
// values above 255 are never camera characters.
bool IsCameraChar(int ch);

}  // namespace tavin
