#pragma once

#include <optional>
#include <string>
#include <vector>

#include "FactoryTable.h"
#include "Fault.h"
#include "VirtualCamera.h"

// The command line of tavin-camsim.

namespace tavin::sim {

struct CamsimOptions {
    std::string stateFile;  // empty: factory settings
    CameraModel model = CameraModel::Rs232c;
    Fault fault;
    LinePacing pacing;
    std::string linkPath;     // empty: no symlink
    std::string controlPath;  // empty: no control FIFO
    bool log = false;
    bool help = false;
};

// Throws std::invalid_argument with a message for the user.
CamsimOptions ParseCamsimOptions(const std::vector<std::string>& args);
std::string CamsimUsage();

}  // namespace tavin::sim
