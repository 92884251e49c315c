#include "ControlCommands.h"

#include <exception>
#include <filesystem>

#include "DataFile.h"

namespace tavin::sim {

namespace {

std::string_view Trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

std::string Status(ControlledCamera& camera) {
    return "status: fault " + ToString(camera.CurrentFault()) + ", line " +
           (camera.LineOpen() ? "open" : "closed") + ", " + std::to_string(camera.BytesFromHost()) +
           " bytes received, " + std::to_string(camera.BytesToHost()) + " sent";
}

}  // namespace

std::vector<std::string> LineSplitter::Take(std::string_view bytes) {
    std::vector<std::string> lines;
    for (const char c : bytes) {
        if (c == '\n') {
            lines.push_back(std::move(partial_));
            partial_.clear();
        } else if (partial_.size() <= kMaxLine) {
            partial_ += c;
        }
    }
    return lines;
}

std::string RunControlCommand(ControlledCamera& camera, std::string_view line) {
    struct Command {
        std::string_view name;
        bool takesArgument;
        std::string (*run)(ControlledCamera&, const std::string&);
    };
    static constexpr Command kCommands[] = {
        {"fault", true,
         [](ControlledCamera& s, const std::string& spec) {
             const Fault fault = ParseFault(spec);
             s.SetFault(fault);
             return "fault " + ToString(fault);
         }},
        {"load", true,
         [](ControlledCamera& s, const std::string& file) {
             // A FIFO or device could block the command reader for good.
             if (!std::filesystem::is_regular_file(file)) {
                 throw DataFileError(file + " is not a data file");
             }
             s.Load(ReadDataFile(file));
             return "loaded " + file;
         }},
        {"hangup", false,
         [](ControlledCamera& s, const std::string&) {
             s.HangUp();
             return std::string("hung up");
         }},
        {"status", false, [](ControlledCamera& s, const std::string&) { return Status(s); }},
        {"help", false,
         [](ControlledCamera&, const std::string&) {
             return ControlHelp() + "\nFaults:\n" + FaultHelp();
         }},
    };

    line = Trim(line);
    if (line.empty()) {
        return {};
    }
    if (line.size() > LineSplitter::kMaxLine) {
        return "error: line too long";
    }
    const auto space = line.find_first_of(" \t");
    const std::string_view name = line.substr(0, space);
    const std::string argument(space == std::string_view::npos ? std::string_view{}
                                                               : Trim(line.substr(space)));
    for (const Command& command : kCommands) {
        if (command.name != name) {
            continue;
        }
        if (command.takesArgument == argument.empty()) {
            return "error: " + std::string(name) +
                   (command.takesArgument ? " needs an argument" : " takes no argument");
        }
        try {
            return command.run(camera, argument);
        } catch (const std::exception& e) {
            // One line, as every answer but help's; help lists the faults.
            const std::string_view what = e.what();
            const auto end = what.find('\n');
            return "error: " + std::string(what.substr(0, end)) +
                   (end == std::string_view::npos ? "" : " see help");
        }
    }
    return "error: unknown command \"" + std::string(line) + "\" (try help)";
}

std::string ControlHelp() {
    return "Commands (one a line):\n"
           "  fault FAULT   misbehave from now on, as --fault FAULT; \"fault none\" behaves again\n"
           "  hangup        hang up for good: the device goes away, as an unplugged adapter does\n"
           "  load FILE     take the settings of a .tvn data file\n"
           "  status        print the fault, the line's state and the byte counts\n"
           "  help          show this text";
}

}  // namespace tavin::sim
