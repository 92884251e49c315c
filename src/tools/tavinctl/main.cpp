#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "Edition.h"
#include "Interrupts.h"
#include "Tavinctl.h"

int main(int argc, char** argv) {
    // The full program's item table and link: a COM port or any Camera Link library.
    tavin::SetCurrentEdition(tavin::kMorva7EEdition);
    tavin::ctl::CatchInterrupts();
    const std::vector<std::string> args(argv + 1, argv + argc);
    return tavin::ctl::RunTavinctl(args, std::cout, std::cerr, ::isatty(STDERR_FILENO) == 1);
}
