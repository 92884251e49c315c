#include "ProgramRun.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <stdexcept>

extern char** environ;

namespace tavin::ctl::testing {

namespace {

std::vector<std::string> Merged(const Environment& add) {
    std::vector<std::string> result;
    for (char** entry = environ; *entry; ++entry) {
        const std::string text = *entry;
        bool replaced = false;
        for (const auto& [name, value] : add) {
            replaced = replaced || text.starts_with(name + "=");
        }
        if (!replaced) {
            result.push_back(text);
        }
    }
    for (const auto& [name, value] : add) {
        result.push_back(name + "=" + value);
    }
    return result;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    for (std::string& s : strings) {
        pointers.push_back(s.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

struct Spawned {
    pid_t pid;
    int out;
    int err;
};

Spawned Spawn(const std::string& path, const std::vector<std::string>& args, const Environment& env,
              bool ownGroup) {
    int out[2];
    int err[2];
    if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    if (ownGroup) {
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
        posix_spawnattr_setpgroup(&attributes, 0);
    }

    std::vector<std::string> argStrings{path};
    argStrings.insert(argStrings.end(), args.begin(), args.end());
    std::vector<std::string> envStrings = Merged(env);
    std::vector<char*> argv = Pointers(argStrings);
    std::vector<char*> envp = Pointers(envStrings);

    pid_t pid = 0;
    const int spawned =
        posix_spawn(&pid, path.c_str(), &actions, &attributes, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    ::close(out[1]);
    ::close(err[1]);
    if (spawned != 0) {
        ::close(out[0]);
        ::close(err[0]);
        throw std::runtime_error("cannot start " + path + ": " + std::strerror(spawned));
    }
    return {pid, out[0], err[0]};
}

// Both pipes are drained together, so a child that fills one cannot block on it.
void Drain(int out, int err, ProgramResult& result) {
    pollfd fds[2] = {{out, POLLIN, 0}, {err, POLLIN, 0}};
    std::string* sinks[2] = {&result.out, &result.err};
    int open = 2;
    while (open > 0) {
        if (::poll(fds, 2, -1) < 0) {
            continue;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) {
                continue;
            }
            char buffer[4096];
            const ssize_t count = ::read(fds[i].fd, buffer, sizeof buffer);
            if (count > 0) {
                sinks[i]->append(buffer, static_cast<size_t>(count));
            } else {
                ::close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
}

int Reap(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace

ProgramResult RunProgram(const std::string& path, const std::vector<std::string>& args,
                         const Environment& env) {
    const auto started = std::chrono::steady_clock::now();
    const Spawned child = Spawn(path, args, env, false);
    ProgramResult result;
    Drain(child.out, child.err, result);
    result.exitStatus = Reap(child.pid);
    result.elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - started);
    return result;
}

RunningProgram::RunningProgram(const std::string& path, const std::vector<std::string>& args,
                               const Environment& env)
    : started_(std::chrono::steady_clock::now()) {
    const Spawned child = Spawn(path, args, env, true);
    pid_ = child.pid;
    out_ = child.out;
    err_ = child.err;
}

RunningProgram::~RunningProgram() {
    ::kill(-pid_, SIGKILL);
    if (!reaped_) {
        ::close(out_);
        ::close(err_);
        Reap(pid_);
    }
}

ProgramResult RunningProgram::Wait() {
    ProgramResult result;
    Drain(out_, err_, result);
    result.exitStatus = Reap(pid_);
    reaped_ = true;
    result.elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - started_);
    return result;
}

}  // namespace tavin::ctl::testing
