#include "ConsoleUserInterface.h"

namespace tavin::ctl {

void ConsoleUserInterface::ShowMessage(const std::string& text, const std::string&, MessageIcon) {
    // The caption only repeats the program's name in a window; the text alone says it all.
    err_ << text << '\n' << std::flush;
}

}  // namespace tavin::ctl
