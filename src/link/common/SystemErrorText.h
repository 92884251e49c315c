#pragma once

#include <string>

namespace tavin {

// Windows' own text for a system or Winsock error code, in UTF-8, without the line end the
// system appends ("error N" where it has none). Windows only: SystemErrorTextWin32.cpp.
std::string SystemErrorText(unsigned long code);

}  // namespace tavin
