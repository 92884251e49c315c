#include "ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <stdexcept>

extern char** environ;

namespace tavin::testing {

ChildProcess::ChildProcess(const std::vector<std::string>& argv) {
    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipe[1], 1);
    posix_spawn_file_actions_adddup2(&actions, pipe[1], 2);
    std::vector<std::string> strings = argv;
    std::vector<char*> pointers;
    for (std::string& s : strings) {
        pointers.push_back(s.data());
    }
    pointers.push_back(nullptr);
    const int spawned =
        posix_spawn(&pid_, argv.at(0).c_str(), &actions, nullptr, pointers.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipe[1]);
    output_ = pipe[0];
    if (spawned != 0) {
        ::close(output_);
        pid_ = -1;
        throw std::runtime_error("cannot start " + argv[0] + ": " + std::strerror(spawned));
    }
}

ChildProcess::~ChildProcess() {
    Stop();
    ::close(output_);
}

void ChildProcess::Stop() {
    if (pid_ <= 0) {
        return;
    }
    ::kill(pid_, SIGTERM);
    // Its end closes the pipe; wait for that rather than for a fixed time.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (std::chrono::steady_clock::now() < deadline && Collect(100) >= 0) {
    }
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) != pid_) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, &status, 0);
    }
    pid_ = -1;
}

long ChildProcess::Collect(int timeoutMs) {
    pollfd entry{output_, POLLIN, 0};
    if (::poll(&entry, 1, timeoutMs) <= 0) {
        return 0;
    }
    char buffer[4096];
    const ssize_t count = ::read(output_, buffer, sizeof buffer);
    if (count <= 0) {
        return -1;
    }
    text_.append(buffer, static_cast<size_t>(count));
    return count;
}

bool ChildProcess::WaitForOutput(const std::string& text, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (text_.find(text) != std::string::npos) {
            return true;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0 || Collect(static_cast<int>(left)) < 0) {
            return text_.find(text) != std::string::npos;
        }
    }
}

std::string ChildProcess::FirstLine(std::chrono::milliseconds timeout) {
    if (!WaitForOutput("\n", timeout)) {
        return "";
    }
    return text_.substr(0, text_.find('\n'));
}

const std::string& ChildProcess::Output() {
    while (Collect(0) > 0) {
    }
    return text_;
}

}  // namespace tavin::testing
