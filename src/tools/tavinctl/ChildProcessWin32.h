#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "ParallelTasks.h"

// Link and probe processes on Windows: this program started again with CreateProcess and an
// argument no user types (HelperProcess.h). The parent sends the work on the child's standard
// input and keeps it open; each later byte there is an interrupt passed on, and its end tells
// the child that its parent is gone. The child answers on its standard output. Every child is
// in a job that Windows ends together with the parent, so none outlives it, however it ends.

namespace tavin::ctl {

// The parent's side of one child.
class ChildProcess {
  public:
    // Receives what the child writes, from a thread of its own, as it comes; an empty piece is
    // the end of it.
    using OutputHandler = std::function<void(std::string_view piece)>;

    ChildProcess() = default;
    ~ChildProcess();  // ends a child still running
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts this program with `arguments` and sends `input`. The child's standard error is
    // this process's. False with the reason in `error` when it could not be started.
    bool Start(const std::string& arguments, std::string_view input, OutputHandler onOutput,
               std::string& error);
    bool Running() const { return process_ != nullptr && !ended_; }

    // Passes an interrupt (InterruptSignal()'s number) on, or ends the child at once.
    void PassInterrupt(int signal);
    void Kill();
    bool Killed() const { return killed_; }

    // Waits until the child has ended and all it wrote was handed over; its exit code.
    DWORD Wait();

  private:
    HANDLE process_ = nullptr;
    HANDLE input_ = nullptr;  // our end of the child's standard input
    std::thread reader_;
    bool killed_ = false;
    bool ended_ = false;
    DWORD exitCode_ = 0;
};

// The exit code of a child ended by Kill().
constexpr DWORD kKilledExitCode = 137;

// The child's side: the work its parent sent, or nothing when standard input holds none (it was
// not started as a helper). From then on a thread watches standard input: each byte is an
// interrupt the parent passes on, and the end of it ends this process at once.
std::optional<std::string> ReceiveFromParent();
// Hands `bytes` to the parent, unchanged (standard output in binary).
void SendToParent(std::string_view bytes);

// The helpers' own work, run when the parent started them (HelperProcessWin32.cpp).
int RunLinkProcess();                         // LinkRunnerWin32.cpp
int RunTaskProcess(const ProcessTask& task);  // ParallelTasksWin32.cpp

}  // namespace tavin::ctl
