#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "Edition.h"
#include "HelperProcess.h"
#include "Interrupts.h"
#include "Tavinctl.h"

int main(int argc, char** argv) {
    // The full program's item table and link: a COM port or any Camera Link library.
    tavin::SetCurrentEdition(tavin::kMorva7EEdition);
    tavin::ctl::CatchInterrupts();
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (const auto status = tavin::ctl::RunAsHelperProcess(args)) {
        return *status;
    }
    // Progress on a terminal only. isatty() says "yes" with 1 on Linux but with another
    // non-zero value on Windows.
    return tavin::ctl::RunTavinctl(args, std::cout, std::cerr, ::isatty(STDERR_FILENO) != 0);
}
