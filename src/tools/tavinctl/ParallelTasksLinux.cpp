// Tasks in processes on Linux: fork() per task, a pipe back, poll() over all of them.
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <exception>
#include <string>

#include "InterruptsPosix.h"
#include "ParallelTasks.h"

namespace tavin::ctl {

namespace {

struct TaskProcess {
    pid_t pid = -1;
    int fd = -1;
    std::string text;
};

[[noreturn]] void RunTask(const ProcessTask& task, const std::string& input, pid_t parent, int fd) {
    ForgetInterruptWakeups();
    // Gone with the parent: a probe nobody waits for must not go on holding a port.
    if (::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || ::getppid() != parent) {
        ::_exit(1);
    }
    std::string text;
    try {
        text = task.run(input);
    } catch (const std::exception&) {
        ::_exit(1);
    }
    for (size_t sent = 0; sent < text.size();) {
        const ssize_t n = ::write(fd, text.data() + sent, text.size() - sent);
        if (n < 0 && errno != EINTR) {
            ::_exit(1);
        }
        sent += n > 0 ? static_cast<size_t>(n) : 0;
    }
    ::_exit(0);
}

}  // namespace

std::vector<std::optional<std::string>> RunInProcesses(const ProcessTask& task,
                                                       const std::vector<std::string>& inputs) {
    std::vector<TaskProcess> running(inputs.size());
    const pid_t parent = ::getpid();
    for (size_t i = 0; i < inputs.size(); ++i) {
        int fds[2];
        if (::pipe(fds) != 0) {
            continue;
        }
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::close(fds[0]);
            RunTask(task, inputs[i], parent, fds[1]);
        }
        ::close(fds[1]);
        if (pid < 0) {
            ::close(fds[0]);
            continue;
        }
        running[i].pid = pid;
        running[i].fd = fds[0];
    }
    for (;;) {
        std::vector<pollfd> polled;
        std::vector<TaskProcess*> owners;
        for (TaskProcess& process : running) {
            if (process.fd >= 0) {
                polled.push_back({process.fd, POLLIN, 0});
                owners.push_back(&process);
            }
        }
        if (polled.empty()) {
            break;
        }
        if (::poll(polled.data(), polled.size(), -1) < 0 && errno != EINTR) {
            break;
        }
        for (size_t k = 0; k < polled.size(); ++k) {
            if (polled[k].revents == 0) {
                continue;
            }
            char buffer[1024];
            const ssize_t n = ::read(owners[k]->fd, buffer, sizeof buffer);
            if (n > 0) {
                owners[k]->text.append(buffer, static_cast<size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                ::close(owners[k]->fd);
                owners[k]->fd = -1;
            }
        }
    }
    std::vector<std::optional<std::string>> results(inputs.size());
    for (size_t i = 0; i < running.size(); ++i) {
        TaskProcess& process = running[i];
        if (process.pid < 0) {
            continue;
        }
        if (process.fd >= 0) {
            ::close(process.fd);  // poll failed: nothing more will be read
        }
        int status = 0;
        while (::waitpid(process.pid, &status, 0) < 0 && errno == EINTR) {
        }
        if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
            results[i] = std::move(process.text);
        }
    }
    return results;
}

}  // namespace tavin::ctl
