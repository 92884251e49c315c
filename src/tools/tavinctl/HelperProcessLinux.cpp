// Linux forks its link and probe processes: they carry on from the fork and are never started
// with a command line of their own.
#include "HelperProcess.h"

namespace tavin::ctl {

std::optional<int> RunAsHelperProcess(std::span<const std::string>) {
    return std::nullopt;
}

}  // namespace tavin::ctl
