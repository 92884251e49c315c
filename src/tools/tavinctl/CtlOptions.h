#pragma once

#include <span>
#include <string>
#include <vector>

// The command line of tavinctl: one command with its operands, and options that may stand
// anywhere on the line. Parsing only checks the form; values that need the item table (item
// names, item values) are checked by the commands.

namespace tavin::ctl {

enum class Command { Read, Write, Get, Set, Dump, Diff, Send, Query, Ports, Help, Version };

// How the camera is reached: COM port `port` (optionally mapped to `device`), or a Camera Link
// serial library.
struct LinkOptions {
    int port = 1;
    std::string device;
    std::string library;
    int baudRate = 19200;
    std::string name;          // in a list of links: for the output and the data file
    unsigned serialIndex = 0;  // the library's serial channel
    std::string origin;        // where the link was named ("FILE:LINE", "--device"), for errors
};

struct CtlOptions {
    Command command = Command::Help;
    std::vector<std::string> operands;
    LinkOptions link;
    // Several links (or a links file): the command runs on each of them at once, and `link`
    // is unused.
    std::vector<LinkOptions> links;
    bool linkGiven = false;  // a link option or a links file was given
    std::string outputFile;  // read -o
    bool json = false;
    bool force = false;
    bool verify = false;  // write, set: read every written item back
    // ports: ask each port (or those the operands name) for a camera; COM map entries to set
    // ("N=DEVICE") and to remove, in the user's map or with `systemMap` in the system's.
    bool probe = false;
    std::vector<std::string> mapEntries;
    std::vector<int> unmapPorts;
    bool systemMap = false;
};

struct ParseResult {
    bool ok = false;
    CtlOptions options;
    std::string error;  // for the user, when !ok
};

// `args` without the program name.
ParseResult ParseCommandLine(std::span<const std::string> args);

// Whether the command prints what it read or verified as JSON.
bool PrintsJson(const CtlOptions& options);

// Whether the command talks to the camera (and so opens the link).
bool NeedsCamera(Command command);

}  // namespace tavin::ctl
