// Ports in use on Windows: the system does not tell who holds a port without opening it, and
// an exclusive open is refused while another program holds it. So nothing is found here; the
// probe's own open tells a port in use (PortStateWin32.cpp) and leaves it alone.
#include "PortUse.h"

namespace tavin::ctl {

PortUsers PortUsers::Scan(const std::string& lockDir) {
    PortUsers users;
    users.lockDir_ = lockDir;
    return users;
}

std::string PortUsers::UserOf(const std::string&) const {
    return "";
}

}  // namespace tavin::ctl
