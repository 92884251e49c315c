#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "Commands.h"

// Reading written items back, so that a write is known to have taken and not only to have been
// acknowledged.

namespace tavin {
class CameraDataSet;
}

namespace tavin::ctl {

// One item as it was sent, in program form.
struct SentItem {
    int index;
    int32_t value;
};

// Reads every sent item back and prints each one whose camera value differs (a table, or JSON
// with `json`), naming on err the items the camera cannot read back. `source` says where the
// sent values came from. kSuccess when all read back as sent, else kFailure.
int VerifyWrites(CameraDataSet& data, std::span<const SentItem> sent, const std::string& source,
                 bool json, Streams io);

}  // namespace tavin::ctl
