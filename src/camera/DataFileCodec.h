#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "CameraItemTable.h"

// The settings data file (.tvn): a length-prefixed header text followed by the 46 item values
// in camera form, each a little-endian signed 32-bit integer. We always write 208 bytes with
// a one-byte length prefix. On reading we accept every length-prefix form of the archive
// string format the file was defined with:
//   n < 0xFF                      one byte
//   0xFF, n16 < 0xFFFF            16-bit length
//   0xFF, 0xFFFF, n32             32-bit length
//   0xFF, 0xFFFE, <prefix>        text in 16-bit characters, its own prefix as above
//
// Decoding checks the whole file before anything is used, so a file that ends early never
// leaves a mixture of old and new values behind. No length taken from the file is ever used
// to allocate memory.

namespace tavin {

inline constexpr std::string_view kDataFileHeader = "TAVINX Data Version1.00";
inline constexpr std::size_t kDataFileSize = 1 + kDataFileHeader.size() + 4 * kCameraItemCount;

// Item values in camera form, in item index order.
using DataFileValues = std::array<int32_t, kCameraItemCount>;
using DataFileBytes = std::array<uint8_t, kDataFileSize>;

enum class DataFileStatus {
    Loaded,          // header matched and all 46 values were present
    HeaderMismatch,  // a complete header text that is not ours: not one of our data files
    Truncated,       // the file ends before its header text or its 46 values are complete
    Empty,           // 0 bytes: nothing to load, not an error
};

struct DataFileResult {
    DataFileStatus status = DataFileStatus::Empty;
    DataFileValues values{};  // meaningful only when status is Loaded
};

DataFileBytes EncodeDataFile(const DataFileValues& values);

// Reads a whole file's bytes. Bytes after the 46th value are ignored.
DataFileResult DecodeDataFile(std::span<const uint8_t> bytes);

class CameraItemStore;

// The store's values in camera form, as a complete file.
DataFileBytes SaveDataFile(const CameraItemStore& store);

// Decodes `bytes` and, only when the file is complete and ours (Loaded), stores every value
// (converted from camera form). Otherwise the store is left untouched.
DataFileResult LoadDataFile(std::span<const uint8_t> bytes, CameraItemStore& store);

}  // namespace tavin
