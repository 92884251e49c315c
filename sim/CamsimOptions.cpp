#include "CamsimOptions.h"

#include <charconv>
#include <stdexcept>

#include "CamsimControl.h"

namespace tavin::sim {

namespace {

int ParseNumber(const std::string& option, const std::string& text, int min, int max) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value < min ||
        value > max) {
        throw std::invalid_argument(option + " wants a whole number from " + std::to_string(min) +
                                    " to " + std::to_string(max) + ", not \"" + text + "\"");
    }
    return value;
}

}  // namespace

CamsimOptions ParseCamsimOptions(const std::vector<std::string>& args) {
    CamsimOptions options;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string option = args[i];
        std::optional<std::string> inlineValue;
        if (const auto eq = option.find('='); option.starts_with("--") && eq != std::string::npos) {
            inlineValue = option.substr(eq + 1);
            option.resize(eq);
        }
        auto value = [&]() -> std::string {
            if (inlineValue) {
                return *inlineValue;
            }
            if (i + 1 >= args.size()) {
                throw std::invalid_argument(option + " needs a value");
            }
            return args[++i];
        };
        if (option == "-h" || option == "--help") {
            options.help = true;
        } else if (option == "--log") {
            options.log = true;
        } else if (option == "--state") {
            options.stateFile = value();
        } else if (option == "--fault") {
            options.fault = ParseFault(value());
        } else if (option == "--baud") {
            options.pacing.baud = ParseNumber(option, value(), 1, 4000000);
        } else if (option == "--turnaround") {
            options.pacing.turnaround =
                std::chrono::milliseconds(ParseNumber(option, value(), 0, 60000));
        } else if (option == "--link") {
            options.linkPath = value();
        } else if (option == "--control") {
            options.controlPath = value();
        } else if (option == "--model") {
            const std::string model = value();
            if (model == "rs232c") {
                options.model = CameraModel::Rs232c;
            } else if (model == "camera-link") {
                options.model = CameraModel::CameraLink;
            } else {
                throw std::invalid_argument("--model is rs232c or camera-link, not \"" + model +
                                            "\"");
            }
        } else {
            throw std::invalid_argument("unknown option \"" + args[i] + "\" (see --help)");
        }
        if (inlineValue && (option == "--log" || option == "--help")) {
            throw std::invalid_argument(option + " takes no value");
        }
    }
    return options;
}

std::string CamsimUsage() {
    return "Usage: tavin-camsim [options]\n"
           "\n"
           "Serves a simulated camera on a new pseudo-terminal until interrupted (Ctrl+C or\n"
           "SIGTERM). The first line printed is the terminal's device path; point the control\n"
           "program at it, for example with TAVIN_COM1=<path> for COM 1. While it runs it takes\n"
           "commands, one a line, on its standard input and on the control FIFO; each answer\n"
           "is a line on standard output.\n"
           "\n"
           "Options:\n"
           "  --link PATH        also make PATH a symlink to the device (removed on exit)\n"
           "  --control PATH     also take commands from a FIFO made at PATH (removed on exit)\n"
           "  --state FILE       start from the settings in a .tvn data file instead of the\n"
           "                     factory settings\n"
           "  --model MODEL      rs232c (default) or camera-link: the camera model, which\n"
           "                     decides the meaning and factory value of item 0B\n"
           "  --fault FAULT      misbehave on purpose (one fault, see below)\n"
           "  --baud N           pace the line as a real one at N baud, 8N2 (11 bits a byte)\n"
           "  --turnaround MS    think MS milliseconds before every answer\n"
           "  --log              print every step of every exchange, decoded: direction,\n"
           "                     command, item number and label, value, answer\n"
           "  -h, --help         show this text\n"
           "\n"
           "Faults:\n" +
           FaultHelp() + "\n" + ControlHelp() + "\n";
}

}  // namespace tavin::sim
