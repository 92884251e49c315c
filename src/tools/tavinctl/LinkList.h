#pragma once

#include <string>
#include <vector>

#include "CtlOptions.h"

// Several cameras in one run: the links named on the command line and in a links file, each
// with a name for the output and for its data file.

namespace tavin::ctl {

// Appends the links of a links file: one a line, an optional name first, then a serial device
// (an absolute path or a network address), "COM<n>" for a COM port or "library:FILE" for a
// Camera Link library (LinkTarget.h); blank lines, '#' comments and a byte-order mark are
// skipped. Returns "" or the error, naming file:line and the reason; a file that names no link
// is an error too.
std::string ReadLinkList(const std::string& path, int baudRate, std::vector<LinkOptions>& links);

// Names the unnamed links after their target, gives the library links their serial index (the
// n-th link to one library uses its serial index n-1) and refuses two links of one name and two
// links that reach one device. Returns "" or the error, naming where each link came from.
std::string FinishLinkList(std::vector<LinkOptions>& links);

// The link's name as a file name: characters other than letters, digits, '.', '-' and '_'
// become '_', so "/dev/ttyUSB0" gives "dev_ttyUSB0".
std::string FileNameOf(const std::string& linkName);

}  // namespace tavin::ctl
