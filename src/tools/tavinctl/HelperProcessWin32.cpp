// The helper processes of Windows, told apart by their first argument (ChildProcessWin32.h).
#include <windows.h>

#include "ChildProcessWin32.h"
#include "HelperProcess.h"
#include "PortProbe.h"

namespace tavin::ctl {

namespace {

// Every kind of task a parent may start a process for.
const ProcessTask* const kTasks[] = {&kProbeTask};

// Helpers get their work through a pipe from their parent; a console or a file on standard
// input is a person or a script, who gets the usual command line.
bool StartedByParent() {
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    return input != nullptr && input != INVALID_HANDLE_VALUE &&
           GetFileType(input) == FILE_TYPE_PIPE;
}

}  // namespace

std::optional<int> RunAsHelperProcess(std::span<const std::string> args) {
    if (args.empty() || !StartedByParent()) {
        return std::nullopt;
    }
    if (args.size() == 1 && args[0] == "--link-process") {
        return RunLinkProcess();
    }
    if (args.size() == 2 && args[0] == "--task") {
        for (const ProcessTask* task : kTasks) {
            if (args[1] == task->name) {
                return RunTaskProcess(*task);
            }
        }
    }
    return std::nullopt;
}

}  // namespace tavin::ctl
