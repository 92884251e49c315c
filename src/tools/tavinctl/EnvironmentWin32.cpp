// The C runtime keeps the environment std::getenv reads and passes the change on to the
// system's, which the link processes started with CreateProcess inherit.
#include <cstdlib>

#include "Environment.h"

namespace tavin::ctl {

void SetEnvironmentEntry(const std::string& name, const std::string& value) {
    // An empty value would remove the entry; nothing here sets one.
    _putenv_s(name.c_str(), value.c_str());
}

void RemoveEnvironmentEntry(const std::string& name) {
    _putenv_s(name.c_str(), "");
}

}  // namespace tavin::ctl
