#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "Commands.h"
#include "CtlOptions.h"

// What a link process must be told when it is started afresh rather than forked (Windows): the
// run's options as far as one link's command uses them, its link, the prepared job and whether
// it shows progress. Sent as text that holds any bytes (file names included), each field as its
// length and its bytes, and checked whole on the way in.

namespace tavin::ctl {

struct LinkOrder {
    CtlOptions options;  // command, operands, output file, --json, --force, --verify
    LinkOptions link;
    CameraJob job;
    bool progress = false;
};

std::string EncodeLinkOrder(const LinkOrder& order);
// Nothing when `text` is not a whole order.
std::optional<LinkOrder> DecodeLinkOrder(std::string_view text);

}  // namespace tavin::ctl
