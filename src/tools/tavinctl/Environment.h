#pragma once

#include <string>

// This process's environment, which its link reads (TAVIN_COM<n>, TAVIN_TRACE) and its link
// processes inherit. The C library's own copy is the one std::getenv reads, so that is the one
// changed (EnvironmentPosix.cpp, EnvironmentWin32.cpp).

namespace tavin::ctl {

void SetEnvironmentEntry(const std::string& name, const std::string& value);
void RemoveEnvironmentEntry(const std::string& name);

}  // namespace tavin::ctl
