#include "ChildProcessWin32.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "InterruptsWin32.h"
#include "SystemErrorText.h"

namespace tavin::ctl {

namespace {

// The job every child joins. Closing its last handle, which Windows does when this process
// ends in any way, ends every process in it.
HANDLE ChildJob() {
    static const HANDLE job = [] {
        HANDLE created = CreateJobObjectW(nullptr, nullptr);
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        if (created && !SetInformationJobObject(created, JobObjectExtendedLimitInformation, &limits,
                                                sizeof limits)) {
            CloseHandle(created);
            created = nullptr;
        }
        return created;
    }();
    return job;
}

bool WriteAll(HANDLE handle, std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD written = 0;
        if (!WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) {
            return false;
        }
        bytes.remove_prefix(written);
    }
    return true;
}

bool ReadAll(HANDLE handle, char* bytes, size_t count) {
    while (count > 0) {
        DWORD got = 0;
        if (!ReadFile(handle, bytes, static_cast<DWORD>(count), &got, nullptr) || got == 0) {
            return false;
        }
        bytes += got;
        count -= got;
    }
    return true;
}

std::wstring ThisProgram() {
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
        if (length < path.size()) {
            return std::wstring(path.data(), length);
        }
        path.resize(path.size() * 2);
    }
}

// A handle the child inherits, or null for none.
HANDLE Inheritable(HANDLE handle) {
    HANDLE copy = nullptr;
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE ||
        !DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &copy, 0, TRUE,
                         DUPLICATE_SAME_ACCESS)) {
        return nullptr;
    }
    return copy;
}

// A pipe whose one end (`childEnd`) the child inherits.
bool MakePipe(HANDLE& read, HANDLE& write, bool childReads) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    if (!CreatePipe(&read, &write, &inherit, 0)) {
        return false;
    }
    SetHandleInformation(childReads ? write : read, HANDLE_FLAG_INHERIT, 0);
    return true;
}

void CloseIfOpen(HANDLE& handle) {
    if (handle) {
        CloseHandle(handle);
        handle = nullptr;
    }
}

}  // namespace

ChildProcess::~ChildProcess() {
    if (process_ && !ended_) {
        Kill();
        Wait();
    }
    CloseIfOpen(input_);
    CloseIfOpen(process_);
    if (reader_.joinable()) {
        reader_.join();
    }
}

bool ChildProcess::Start(const std::string& arguments, std::string_view input,
                         OutputHandler onOutput, std::string& error) {
    HANDLE childInput = nullptr;
    HANDLE output = nullptr;
    HANDLE childOutput = nullptr;
    if (!MakePipe(childInput, input_, true) || !MakePipe(output, childOutput, false)) {
        error = SystemErrorText(GetLastError());
        CloseIfOpen(childInput);
        CloseIfOpen(input_);
        return false;
    }
    HANDLE childError = Inheritable(GetStdHandle(STD_ERROR_HANDLE));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = childInput;
    startup.hStdOutput = childOutput;
    startup.hStdError = childError;
    std::wstring commandLine =
        L"\"" + ThisProgram() + L"\" " + std::wstring(arguments.begin(), arguments.end());
    PROCESS_INFORMATION started{};
    // Suspended until it is in the job, so that not even its first steps can outlive us.
    const bool ok = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE,
                                   CREATE_SUSPENDED, nullptr, nullptr, &startup, &started);
    const DWORD startError = GetLastError();
    CloseIfOpen(childInput);
    CloseIfOpen(childOutput);
    CloseIfOpen(childError);
    if (!ok) {
        error = SystemErrorText(startError);
        CloseIfOpen(output);
        CloseIfOpen(input_);
        return false;
    }
    if (const HANDLE job = ChildJob()) {
        AssignProcessToJobObject(job, started.hProcess);  // a refusal leaves the stdin watch
    }
    ResumeThread(started.hThread);
    CloseHandle(started.hThread);
    process_ = started.hProcess;
    reader_ = std::thread([output, onOutput = std::move(onOutput)] {
        char buffer[4096];
        DWORD got = 0;
        while (ReadFile(output, buffer, sizeof buffer, &got, nullptr) && got > 0) {
            onOutput(std::string_view(buffer, got));
        }
        CloseHandle(output);
        onOutput({});
    });
    const uint32_t size = static_cast<uint32_t>(input.size());
    char header[sizeof size];
    std::memcpy(header, &size, sizeof size);
    // A child that cannot take its work has ended already; Wait() tells.
    WriteAll(input_, std::string_view(header, sizeof header)) && WriteAll(input_, input);
    return true;
}

void ChildProcess::PassInterrupt(int signal) {
    if (Running()) {
        const char byte = static_cast<char>(signal);
        WriteAll(input_, std::string_view(&byte, 1));
    }
}

void ChildProcess::Kill() {
    if (Running()) {
        killed_ = true;
        TerminateProcess(process_, kKilledExitCode);
    }
}

DWORD ChildProcess::Wait() {
    if (!process_ || ended_) {
        return exitCode_;
    }
    WaitForSingleObject(process_, INFINITE);
    if (reader_.joinable()) {
        reader_.join();
    }
    GetExitCodeProcess(process_, &exitCode_);
    ended_ = true;
    CloseIfOpen(input_);
    return exitCode_;
}

std::optional<std::string> ReceiveFromParent() {
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    // Work comes through a pipe from a parent; a console or a file is a person or a script.
    if (input == nullptr || input == INVALID_HANDLE_VALUE || GetFileType(input) != FILE_TYPE_PIPE) {
        return std::nullopt;
    }
    uint32_t size = 0;
    char header[sizeof size];
    if (!ReadAll(input, header, sizeof header)) {
        return std::nullopt;
    }
    std::memcpy(&size, header, sizeof size);
    std::string work(size, '\0');
    if (!ReadAll(input, work.data(), work.size())) {
        return std::nullopt;
    }
    std::thread([input] {
        char signal = 0;
        DWORD got = 0;
        while (ReadFile(input, &signal, 1, &got, nullptr) && got == 1) {
            RecordInterrupt(static_cast<unsigned char>(signal));
        }
        // The parent is gone: nobody would read what this process finds, and a port it holds
        // would stay held for nothing.
        TerminateProcess(GetCurrentProcess(), 1);
    }).detach();
    return work;
}

void SendToParent(std::string_view bytes) {
    WriteAll(GetStdHandle(STD_OUTPUT_HANDLE), bytes);
}

}  // namespace tavin::ctl
