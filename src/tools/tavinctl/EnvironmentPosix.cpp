#include <cstdlib>

#include "Environment.h"

namespace tavin::ctl {

void SetEnvironmentEntry(const std::string& name, const std::string& value) {
    ::setenv(name.c_str(), value.c_str(), 1);
}

void RemoveEnvironmentEntry(const std::string& name) {
    ::unsetenv(name.c_str());
}

}  // namespace tavin::ctl
