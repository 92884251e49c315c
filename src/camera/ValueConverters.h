#pragma once

#include <cstdint>

// Converters between the camera's form of an item value (as it travels on the wire and in data
// files) and the program's form (as the data set holds it and the controls show it).

namespace tavin {

// Signature shared by every converter of the item table.
using ValueConverter = int32_t (*)(int32_t);

// 9-bit sign-magnitude (bit 8 = negative, bits 0..7 = magnitude) <-> 0..510 with 255 as zero.
// Bits above bit 8 of the camera value are ignored; only the low 9 bits of the program value
// count, and zero always goes out as 0x000 (never as the negative zero 0x100).
int32_t LevelFromSignMag9(int32_t camera);
int32_t LevelToSignMag9(int32_t level);

// Split 11-bit form (bits 8..10 = level / 128, bits 0..7 = level % 128 + 128) <-> 0..1023.
int32_t LevelFromSplit11(int32_t camera);
int32_t LevelToSplit11(int32_t level);

// Two characters per value, one in bits 8..15 and one in bits 0..7. The camera has its own
// character codes; a camera code without a host character reads as '$', a host character
// without a camera code is sent as the camera's space (0xCF).
int32_t TextPairFromCamera(int32_t camera);
int32_t TextPairToCamera(int32_t text);

// One character each way; -1 when the character set has no counterpart. Host characters are
// single bytes of the Shift JIS code page (0xA1..0xDF are the half-width katakana).
int32_t CharFromCameraCode(int32_t code);
int32_t CharToCameraCode(int32_t ch);

}  // namespace tavin
