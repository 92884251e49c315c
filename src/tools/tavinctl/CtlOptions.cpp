#include "CtlOptions.h"

#include <charconv>
#include <optional>
#include <string_view>

namespace tavin::ctl {

namespace {

struct CommandInfo {
    std::string_view name;
    Command command;
    size_t minOperands;
    size_t maxOperands;
    bool reads;  // has output that --json can shape
};

constexpr size_t kMany = ~size_t{0};

constexpr CommandInfo kCommands[] = {
    {"read", Command::Read, 0, 0, true},      {"write", Command::Write, 1, 1, false},
    {"get", Command::Get, 1, kMany, true},    {"set", Command::Set, 1, kMany, false},
    {"dump", Command::Dump, 1, 1, true},      {"diff", Command::Diff, 2, 2, true},
    {"send", Command::Send, 1, 1, false},     {"query", Command::Query, 1, 1, true},
    {"help", Command::Help, 0, kMany, false}, {"version", Command::Version, 0, 0, false},
};

const CommandInfo* FindCommand(std::string_view name) {
    for (const CommandInfo& info : kCommands) {
        if (info.name == name) {
            return &info;
        }
    }
    return nullptr;
}

const CommandInfo& InfoOf(Command command) {
    for (const CommandInfo& info : kCommands) {
        if (info.command == command) {
            return info;
        }
    }
    return kCommands[0];
}

std::optional<int> ParseInt(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

ParseResult Fail(std::string message) {
    ParseResult result;
    result.error = std::move(message);
    return result;
}

}  // namespace

bool NeedsCamera(Command command) {
    switch (command) {
        case Command::Read:
        case Command::Write:
        case Command::Get:
        case Command::Set:
        case Command::Send:
        case Command::Query:
            return true;
        default:
            return false;
    }
}

ParseResult ParseCommandLine(std::span<const std::string> args) {
    ParseResult result;
    CtlOptions& options = result.options;
    std::optional<Command> command;
    bool helpAsked = false;
    bool versionAsked = false;
    bool optionsEnded = false;

    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            if (!command) {
                const CommandInfo* info = FindCommand(arg);
                if (!info) {
                    return Fail("unknown command '" + arg + "'");
                }
                command = info->command;
            } else {
                options.operands.push_back(arg);
            }
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        // "--name=value" or "--name value"; "-o value" or "-ovalue".
        std::string name = arg;
        std::optional<std::string> inlineValue;
        if (arg.starts_with("--")) {
            if (const size_t eq = arg.find('='); eq != std::string::npos) {
                name = arg.substr(0, eq);
                inlineValue = arg.substr(eq + 1);
            }
        } else if (arg.size() > 2) {
            name = arg.substr(0, 2);
            inlineValue = arg.substr(2);
        }
        auto value = [&]() -> std::optional<std::string> {
            if (inlineValue) {
                return inlineValue;
            }
            if (i + 1 < args.size()) {
                return args[++i];
            }
            return std::nullopt;
        };
        auto flag = [&](bool& target) {
            if (inlineValue) {
                return false;
            }
            target = true;
            return true;
        };

        if (name == "--help" || name == "-h") {
            if (!flag(helpAsked)) {
                return Fail(name + " takes no value");
            }
        } else if (name == "--version" || name == "-V") {
            if (!flag(versionAsked)) {
                return Fail(name + " takes no value");
            }
        } else if (name == "--json") {
            if (!flag(options.json)) {
                return Fail("--json takes no value");
            }
        } else if (name == "--force" || name == "-f") {
            if (!flag(options.force)) {
                return Fail(name + " takes no value");
            }
        } else if (name == "--port" || name == "-p") {
            const auto text = value();
            const auto port = text ? ParseInt(*text) : std::nullopt;
            if (!port || *port < 1 || *port > 10) {
                return Fail("--port takes a COM port number from 1 to 10");
            }
            options.link.port = *port;
        } else if (name == "--baud" || name == "-b") {
            const auto text = value();
            const auto baud = text ? ParseInt(*text) : std::nullopt;
            if (!baud || (*baud != 19200 && *baud != 9600)) {
                return Fail("--baud takes 19200 or 9600");
            }
            options.link.baudRate = *baud;
        } else if (name == "--device" || name == "-d") {
            const auto text = value();
            if (!text || text->empty()) {
                return Fail("--device takes the path of a serial device");
            }
            options.link.device = *text;
        } else if (name == "--library" || name == "-l") {
            const auto text = value();
            if (!text || text->empty()) {
                return Fail("--library takes the file name of a Camera Link serial library");
            }
            options.link.library = *text;
        } else if (name == "--output" || name == "-o") {
            const auto text = value();
            if (!text || text->empty()) {
                return Fail(name + " takes a file name");
            }
            options.outputFile = *text;
        } else {
            return Fail("unknown option '" + arg + "'");
        }
    }

    if (helpAsked) {
        options.command = Command::Help;
        result.ok = true;
        return result;
    }
    if (versionAsked) {
        options.command = Command::Version;
        result.ok = true;
        return result;
    }
    if (!command) {
        return Fail("no command given");
    }
    options.command = *command;
    const CommandInfo& info = InfoOf(*command);
    const size_t count = options.operands.size();
    if (count < info.minOperands || count > info.maxOperands) {
        if (info.maxOperands == 0) {
            return Fail(std::string(info.name) + " takes no operands");
        }
        return Fail(std::string(info.name) + ": wrong number of operands");
    }
    if (options.json && !info.reads) {
        return Fail("--json is for the commands that print what they read");
    }
    if (!options.outputFile.empty() && *command != Command::Read) {
        return Fail("-o is for the read command only");
    }
    if (options.force && *command != Command::Set) {
        return Fail("--force is for the set command only");
    }
    if (!options.link.library.empty() && !options.link.device.empty()) {
        return Fail("--library and --device exclude each other");
    }
    result.ok = true;
    return result;
}

}  // namespace tavin::ctl
