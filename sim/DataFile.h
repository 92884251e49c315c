#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <span>
#include <stdexcept>

#include "FactoryTable.h"

// Reads the .tvn settings file the control program saves: a one-byte length, the header text,
// then one little-endian 32-bit camera-form value per item. The simulated camera can start from
// such a file instead of its factory settings.

namespace tavin::sim {

class DataFileError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

using DataFileValues = std::array<int32_t, kFactoryItemCount>;

// Throws DataFileError, saying what is wrong, for anything but a complete file of the one layout.
DataFileValues ParseDataFile(std::span<const uint8_t> bytes);
DataFileValues ReadDataFile(const std::filesystem::path& path);

}  // namespace tavin::sim
