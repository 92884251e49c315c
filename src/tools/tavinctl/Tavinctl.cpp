#include "Tavinctl.h"

#include <filesystem>

#include "Commands.h"
#include "ConsoleUserInterface.h"
#include "CtlOptions.h"
#include "DevicePaths.h"
#include "Interrupts.h"
#include "LinkRunner.h"

#ifndef TAVIN_VERSION
#define TAVIN_VERSION "unknown"
#endif

namespace tavin::ctl {

namespace {

// The help text with this system's names put in: {unmapped} for what COM N stands for when
// nothing maps it, {device} for an example of a local serial device, {stable} for the names a
// port map is best given.
constexpr std::string_view kUsageTemplate = R"(Usage: tavinctl [LINK OPTIONS] COMMAND [ARGUMENTS]

Reads and writes the settings of a MORVA-7E camera from the command line.

Commands with the camera:
  read [-o FILE.tvn]      read items 0 to 44; print them, or save them as a data file
  write FILE.tvn          write a data file's settings into the camera (45 items)
  get ITEM...             read items; ITEM is an index or a label in any case
  set ITEM=VALUE...       write items; a value outside the item's range is refused
  send TEXT               send one protocol message (the manual command's Send)
  query TEXT              send one message and print the camera's reply (Read)
Commands without a camera:
  dump FILE.tvn           print a data file's settings
  diff A.tvn B.tvn        print the items whose settings differ (exit status 1)
  diff GOLDEN.tvn         with a link option: the items where the camera differs from the file
  ports                   list the serial ports and where COM 1 to 10 point
      --probe [PORT...]   also ask each port, or only those named (a device, COM<n> or a
                          network address), for a camera: one ENQ at 19200, then 9600; a
                          port in use (held by another program, the kernel's console, locked)
                          is left alone
      --map N=DEVICE      map COM N to a device, {stable} or a network address
      --unmap N           remove COM N from the map
      --system            --map and --unmap edit the system's map, which every user (and the
                          boot-time restore unit) reads after their own

Link options (default: COM 1 at 19200 baud):
  -p, --port N            COM port N (1 to 10): the device in TAVIN_COM<N>, else the one the
                          user's or else the system's port map gives COM<N>, else {unmapped}
  -d, --device DEVICE     the serial device of the COM port, e.g. {device}, or a port
                          across the network: rfc2217://HOST:PORT or tcp://HOST:PORT
  -l, --library FILE      a Camera Link serial library instead of a COM port
  -b, --baud RATE         19200 or 9600
      --links FILE        the links in FILE, one a line: [NAME] DEVICE, COM<n> or library:FILE
Several links (repeated -d, -p or -l, or --links) run the command on every camera at once: one
line per link as it finishes (name, result, seconds; with --json one object per link), then a
summary. read -o then takes a directory and saves NAME.tvn there for each link.
Other options:
  -o, --output FILE       read: save a data file, as the program's Save does (several links:
                          a directory)
      --json              print what was read as JSON (read, get, query, dump, diff, ports,
                          and what --verify found)
  -f, --force             set: send a value even outside the item's range
      --verify            write, set: read every written item back; print those that differ
  -h, --help              this text
  -V, --version           the version

Exit status: 0 success; 1 failure (the message starts with "ERROR - " for the camera link), or
for diff: the files differ; for --verify: an item did not take; with several links: any link
did not succeed; 2 wrong command line, or for diff: a file could not be read.
)";

void Substitute(std::string& text, std::string_view placeholder, std::string_view value) {
    for (size_t at; (at = text.find(placeholder)) != std::string::npos;) {
        text.replace(at, placeholder.size(), value);
    }
}

}  // namespace

std::string UsageText() {
    std::string text(kUsageTemplate);
    Substitute(text, "{unmapped}", UnmappedComPortPattern());
    Substitute(text, "{device}", ExampleDevice());
    Substitute(text, "{stable}", StableDeviceNames());
    return text;
}

namespace {

int RunCommand(const CtlOptions& options, Streams io) {
    switch (options.command) {
        case Command::Help:
            io.out << UsageText();
            return kSuccess;
        case Command::Version:
            io.out << "tavinctl " TAVIN_VERSION "\n";
            return kSuccess;
        case Command::Dump:
            return RunDump(options, io);
        case Command::Diff:
            if (options.operands.size() == 2) {
                return RunDiff(options, io);
            }
            break;
        case Command::Ports:
            return RunPorts(options, io);
        default:
            break;
    }
    if (!options.links.empty()) {
        CameraJob job;
        const int status = PrepareCameraJob(options, io, job);
        if (status != kSuccess) {
            return status;
        }
        if (!options.outputFile.empty() && !std::filesystem::is_directory(options.outputFile)) {
            io.err << "tavinctl: with several links, -o takes a directory for their data files; "
                   << options.outputFile << " is none\n";
            return kUsageError;
        }
        return RunOnLinks(options, job, io);
    }
    ConsoleUserInterface console(io.err);
    UserInterface* previous = InstallUserInterface(&console);
    const int status = RunCameraCommand(options, io);
    InstallUserInterface(previous);
    return status;
}

}  // namespace

int RunTavinctl(std::span<const std::string> args, std::ostream& out, std::ostream& err,
                bool progress) {
    const ParseResult parsed = ParseCommandLine(args);
    if (!parsed.ok) {
        err << "tavinctl: " << parsed.error << "\nTry 'tavinctl --help'.\n";
        return kUsageError;
    }
    const Streams io{.out = out, .err = err, .progress = progress};
    const int status = RunCommand(parsed.options, io);
    // Whoever sent the signal learns from the status that it was heard, also when it came as
    // the last item was finishing; what was done is on the output either way.
    if (const int signal = InterruptSignal(); signal != 0) {
        if (status != InterruptedExitStatus(signal)) {
            err << "tavinctl: interrupted (" << InterruptName(signal)
                << ") as the command finished\n";
        }
        return InterruptedExitStatus(signal);
    }
    return status;
}

}  // namespace tavin::ctl
