// Systems without FIFOs: the board library takes no control commands there.

#include <stdexcept>

#include "ControlCommands.h"

namespace tavin::sim {

std::unique_ptr<CommandListener> ListenOnFifo(const std::string&, ControlledCamera&,
                                              AnswerPrinter) {
    throw std::invalid_argument("control commands need a system with FIFOs");
}

}  // namespace tavin::sim
