#include "CtlOptions.h"

#include <getopt.h>

#include <algorithm>
#include <charconv>
#include <optional>
#include <string_view>

#include "LinkList.h"
#include "LinkTarget.h"

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
    {"read", Command::Read, 0, 0, true},        {"write", Command::Write, 1, 1, false},
    {"get", Command::Get, 1, kMany, true},      {"set", Command::Set, 1, kMany, false},
    {"dump", Command::Dump, 1, 1, true},        {"diff", Command::Diff, 2, 2, true},
    {"send", Command::Send, 1, 1, false},       {"query", Command::Query, 1, 1, true},
    {"ports", Command::Ports, 0, kMany, true},  {"help", Command::Help, 0, kMany, false},
    {"version", Command::Version, 0, 0, false},
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

ParseResult Fail(std::string message) {
    ParseResult result;
    result.error = std::move(message);
    return result;
}

// What the options set. Help and version are kept apart: they win over any command.
struct Parsed {
    CtlOptions options;
    // Each --device, --library and --port names one more link.
    std::vector<std::string> devices;
    std::vector<std::string> libraries;
    std::vector<int> ports;
    std::vector<std::string> linkFiles;
    bool help = false;
    bool version = false;
    std::string reason;  // why an option's value was refused, where more than its form says
};

bool SetText(std::string& target, const char* value) {
    target = value;
    return !target.empty();
}

bool SetNumber(int& target, const char* value, bool (*allowed)(int)) {
    const std::string_view text(value);
    int number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || end != text.data() + text.size() || !allowed(number)) {
        return false;
    }
    target = number;
    return true;
}

bool PortNumberOk(int n) {
    return n >= 1 && n <= 10;
}

// "N=DEVICE" with a COM port number and a device the map can hold (LinkTarget.h).
bool AddMapEntry(Parsed& p, const char* value) {
    const std::string_view text(value);
    const size_t equals = text.find('=');
    int port = 0;
    if (equals == std::string_view::npos || equals + 1 == text.size() ||
        !SetNumber(port, std::string(text.substr(0, equals)).c_str(), PortNumberOk)) {
        return false;
    }
    const std::string_view device = text.substr(equals + 1);
    if (std::string reason = CheckMapDevice(device); !reason.empty()) {
        p.reason = std::string(device) + " " + reason;
        return false;
    }
    p.options.mapEntries.emplace_back(text);
    return true;
}

// getopt_long's code for an option without a short form: past every letter.
constexpr int kLongOnly = 256;

struct OptionInfo {
    const char* name;
    int code;  // the short form's letter, or kLongOnly and up
    // Takes the option's value (nullptr for a flag); false when the value is not one it takes.
    bool (*set)(Parsed&, const char* value);
    const char* complaint;  // after the option's name, when its value is missing or wrong
};

constexpr OptionInfo kOptions[] = {
    {"help", 'h', [](Parsed& p, const char*) { return p.help = true; }, nullptr},
    {"version", 'V', [](Parsed& p, const char*) { return p.version = true; }, nullptr},
    {"json", kLongOnly, [](Parsed& p, const char*) { return p.options.json = true; }, nullptr},
    {"force", 'f', [](Parsed& p, const char*) { return p.options.force = true; }, nullptr},
    {"verify", kLongOnly + 1, [](Parsed& p, const char*) { return p.options.verify = true; },
     nullptr},
    {"probe", kLongOnly + 3, [](Parsed& p, const char*) { return p.options.probe = true; },
     nullptr},
    {"map", kLongOnly + 4, AddMapEntry,
     "takes N=DEVICE, N a COM port number from 1 to 10 and DEVICE a path, rfc2217://HOST:PORT or "
     "tcp://HOST:PORT"},
    {"system", kLongOnly + 6, [](Parsed& p, const char*) { return p.options.systemMap = true; },
     nullptr},
    {"unmap", kLongOnly + 5,
     [](Parsed& p, const char* value) {
         int port = 0;
         return SetNumber(port, value, PortNumberOk) &&
                (p.options.unmapPorts.push_back(port), true);
     },
     "takes a COM port number from 1 to 10"},
    {"port", 'p',
     [](Parsed& p, const char* value) {
         return SetNumber(p.options.link.port, value, [](int n) { return n >= 1 && n <= 10; }) &&
                (p.ports.push_back(p.options.link.port), true);
     },
     "takes a COM port number from 1 to 10"},
    {"baud", 'b',
     [](Parsed& p, const char* value) {
         return SetNumber(p.options.link.baudRate, value,
                          [](int n) { return n == 19200 || n == 9600; });
     },
     "takes 19200 or 9600"},
    {"device", 'd',
     [](Parsed& p, const char* value) {
         return SetText(p.options.link.device, value) && (p.devices.emplace_back(value), true);
     },
     "takes the path of a serial device, or a network address"},
    {"library", 'l',
     [](Parsed& p, const char* value) {
         return SetText(p.options.link.library, value) && (p.libraries.emplace_back(value), true);
     },
     "takes the file name of a Camera Link serial library"},
    {"links", kLongOnly + 2,
     [](Parsed& p, const char* value) { return *value && (p.linkFiles.emplace_back(value), true); },
     "takes the name of a links file"},
    {"output", 'o',
     [](Parsed& p, const char* value) { return SetText(p.options.outputFile, value); },
     "takes a file name"},
};

const OptionInfo* FindOption(int code) {
    for (const OptionInfo& info : kOptions) {
        if (info.code == code) {
            return &info;
        }
    }
    return nullptr;
}

// The links the options name, when they name more than one or a links file; else none, and
// options.link is the one link.
std::string CollectLinks(Parsed& parsed) {
    CtlOptions& options = parsed.options;
    options.linkGiven = !parsed.devices.empty() || !parsed.libraries.empty() ||
                        !parsed.ports.empty() || !parsed.linkFiles.empty();
    if (!parsed.devices.empty() && parsed.ports.size() > 1) {
        return "--port names the COM port of --device; repeat it only without --device";
    }
    std::vector<LinkOptions> links;
    LinkOptions base;
    base.port = options.link.port;
    base.baudRate = options.link.baudRate;
    for (const std::string& device : parsed.devices) {
        links.push_back(base);
        links.back().device = device;
        links.back().origin = "--device " + device;
    }
    for (const std::string& library : parsed.libraries) {
        links.push_back(base);
        links.back().library = library;
        links.back().origin = "--library " + library;
    }
    if (links.empty() && parsed.ports.size() > 1) {
        for (const int port : parsed.ports) {
            links.push_back(base);
            links.back().port = port;
            links.back().origin = "--port " + std::to_string(port);
        }
    }
    if (parsed.linkFiles.empty() && links.size() <= 1) {
        return "";
    }
    for (const std::string& file : parsed.linkFiles) {
        if (std::string error = ReadLinkList(file, base.baudRate, links); !error.empty()) {
            return error;
        }
    }
    options.links = std::move(links);
    return FinishLinkList(options.links);
}

}  // namespace

bool PrintsJson(const CtlOptions& options) {
    return options.json && (InfoOf(options.command).reads || options.verify);
}

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
    // getopt_long wants writable words after the program's name. A leading '-' in the short
    // options hands the operands back in place, so options may stand anywhere whatever
    // POSIXLY_CORRECT says; ':' tells a missing value apart from an unknown option.
    std::vector<std::string> words{"tavinctl"};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    std::string shortOptions = "-:";
    std::vector<option> longOptions;
    for (const OptionInfo& info : kOptions) {
        const bool takesValue = info.complaint != nullptr;
        if (info.code < kLongOnly) {
            shortOptions += static_cast<char>(info.code);
            shortOptions += takesValue ? ":" : "";
        }
        longOptions.push_back(
            {info.name, takesValue ? required_argument : no_argument, nullptr, info.code});
    }
    longOptions.push_back({});

    Parsed parsed;
    std::optional<Command> command;
    auto takeWord = [&](const char* word) -> std::optional<std::string> {
        if (command) {
            parsed.options.operands.emplace_back(word);
        } else if (const CommandInfo* info = FindCommand(word)) {
            command = info->command;
        } else {
            return "unknown command '" + std::string(word) + "'";
        }
        return std::nullopt;
    };

    const int argc = static_cast<int>(words.size());
    optind = 0;  // a fresh scan, also on a second call
    opterr = 0;
    for (;;) {
        const int at = std::max(optind, 1);  // the word being scanned
        const std::string word = at < argc ? argv[at] : "";
        const int code =
            getopt_long(argc, argv.data(), shortOptions.c_str(), longOptions.data(), nullptr);
        if (code == -1) {
            break;
        }
        if (code == 1) {
            if (auto error = takeWord(optarg)) {
                return Fail(*error);
            }
            continue;
        }
        const bool failed = code == '?' || code == ':';
        const OptionInfo* info = FindOption(failed ? optopt : code);
        if (!info) {
            return Fail("unknown option '" + word + "'");
        }
        const std::string name = word.starts_with("--")
                                     ? word.substr(0, word.find('='))
                                     : std::string{'-', static_cast<char>(info->code)};
        if (code == '?') {
            return Fail(name + " takes no value");
        }
        if (code == ':' || !info->set(parsed, optarg)) {
            const std::string given = code == ':' ? "" : " " + std::string(optarg);
            return Fail(parsed.reason.empty() ? name + " " + info->complaint
                                              : name + given + ": " + parsed.reason);
        }
    }
    // After "--": operands only.
    for (int i = optind; i < argc; ++i) {
        if (auto error = takeWord(argv[i])) {
            return Fail(*error);
        }
    }

    CtlOptions& options = parsed.options;
    if (parsed.help || parsed.version) {
        options.command = parsed.help ? Command::Help : Command::Version;
        return {true, std::move(options), {}};
    }
    if (std::string error = CollectLinks(parsed); !error.empty()) {
        return Fail(error);
    }
    if (!command) {
        return Fail("no command given");
    }
    options.command = *command;
    const CommandInfo& info = InfoOf(*command);
    const size_t count = options.operands.size();
    // diff with one file compares it with the camera, so it needs a link.
    const bool cameraDiff = *command == Command::Diff && count == 1 && parsed.options.linkGiven;
    if (!cameraDiff && (count < info.minOperands || count > info.maxOperands)) {
        if (info.maxOperands == 0) {
            return Fail(std::string(info.name) + " takes no operands");
        }
        return Fail(std::string(info.name) + ": wrong number of operands");
    }
    const bool writes = *command == Command::Write || *command == Command::Set;
    if (options.verify && !writes) {
        return Fail("--verify is for the write and set commands only");
    }
    if (options.json && !info.reads && !options.verify && options.links.empty()) {
        return Fail("--json is for the commands that print what they read");
    }
    if (!options.outputFile.empty() && *command != Command::Read) {
        return Fail("-o is for the read command only");
    }
    if (options.force && *command != Command::Set) {
        return Fail("--force is for the set command only");
    }
    const bool editsMap = !options.mapEntries.empty() || !options.unmapPorts.empty();
    if ((options.probe || editsMap) && *command != Command::Ports) {
        return Fail("--probe, --map and --unmap are for the ports command only");
    }
    if (options.systemMap && !editsMap) {
        return Fail("--system is for ports --map and --unmap only");
    }
    if (*command == Command::Ports && count > 0) {
        if (!options.probe) {
            return Fail("ports takes ports to ask only with --probe");
        }
        for (const std::string& port : options.operands) {
            std::string error;
            if (!ParseLinkTarget(port, false, error)) {
                return Fail("ports --probe: " + error);
            }
        }
    }
    if (!options.link.library.empty() && !options.link.device.empty()) {
        return Fail("--library and --device exclude each other");
    }
    if (!options.links.empty() && !NeedsCamera(*command) && !cameraDiff) {
        return Fail(std::string(info.name) + " does not take several links");
    }
    return {true, std::move(options), {}};
}

}  // namespace tavin::ctl
