// Tasks in processes on Windows: this program started again per task (ChildProcessWin32.h) with
// the task's name, its input on standard input and its result on standard output.
#include <windows.h>

#include <memory>
#include <mutex>

#include "ChildProcessWin32.h"
#include "Interrupts.h"
#include "InterruptsWin32.h"
#include "ParallelTasks.h"

namespace tavin::ctl {

namespace {

struct TaskChild {
    ChildProcess process;
    std::string text;    // under the mutex
    bool ended = false;  // under the mutex
    bool started = false;
};

}  // namespace

std::vector<std::optional<std::string>> RunInProcesses(const ProcessTask& task,
                                                       const std::vector<std::string>& inputs) {
    std::mutex mutex;
    const HANDLE wake = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    std::vector<std::unique_ptr<TaskChild>> children;
    for (const std::string& input : inputs) {
        children.push_back(std::make_unique<TaskChild>());
        TaskChild& child = *children.back();
        std::string error;
        child.started = child.process.Start(
            std::string("--task ") + task.name, input,
            [&mutex, &child, wake](std::string_view piece) {
                {
                    std::lock_guard lock(mutex);
                    child.text.append(piece);
                    child.ended = piece.empty();
                }
                SetEvent(wake);
            },
            error);
    }
    // Until every child has ended, passing interrupts on as they come: a probe then stops
    // between its two speeds, as it does where the terminal interrupts every process.
    int passed = 0;
    const HANDLE waits[] = {wake, InterruptEvent()};
    for (;;) {
        bool running = false;
        {
            std::lock_guard lock(mutex);
            for (const auto& child : children) {
                running = running || (child->started && !child->ended);
            }
        }
        if (!running) {
            break;
        }
        if (const int count = InterruptCount(); count != passed) {
            passed = count;
            for (const auto& child : children) {
                child->process.PassInterrupt(InterruptSignal());
            }
        }
        WaitForMultipleObjects(waits[1] ? 2 : 1, waits, FALSE, INFINITE);
    }
    CloseHandle(wake);
    std::vector<std::optional<std::string>> results(inputs.size());
    for (size_t i = 0; i < children.size(); ++i) {
        TaskChild& child = *children[i];
        if (child.started && child.process.Wait() == 0) {
            results[i] = std::move(child.text);
        }
    }
    return results;
}

int RunTaskProcess(const ProcessTask& task) {
    const std::optional<std::string> input = ReceiveFromParent();
    if (!input) {
        return 1;
    }
    try {
        SendToParent(task.run(*input));
    } catch (const std::exception&) {
        return 1;
    }
    return 0;
}

}  // namespace tavin::ctl
