#include "CamsimControl.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <thread>

namespace tavin::sim {

namespace {

// The FIFO's commands on a thread of their own; a pipe tells the thread to stop.
class FifoCommandListener final : public CommandListener {
  public:
    FifoCommandListener(const std::string& path, ControlledCamera& camera, AnswerPrinter print)
        : fifo_(path) {
        if (pipe2(stop_, O_CLOEXEC) != 0) {
            throw std::system_error(errno, std::generic_category(), "pipe");
        }
        thread_ = std::thread([this, &camera, print = std::move(print)] {
            TakeCommands(camera, stop_[0], {fifo_.Fd()}, print);
        });
    }
    ~FifoCommandListener() override {
        const char stop = 0;
        while (write(stop_[1], &stop, 1) < 0 && errno == EINTR) {
        }
        thread_.join();
        close(stop_[0]);
        close(stop_[1]);
    }

  private:
    ControlFifo fifo_;
    int stop_[2] = {-1, -1};
    std::thread thread_;
};

}  // namespace

ControlFifo::ControlFifo(std::string path) : path_(std::move(path)) {
    if (path_.empty()) {
        return;
    }
    struct stat st {};
    if (lstat(path_.c_str(), &st) == 0 && S_ISFIFO(st.st_mode)) {
        unlink(path_.c_str());
    }
    if (mkfifo(path_.c_str(), 0600) != 0) {
        throw std::system_error(errno, std::generic_category(), "making FIFO " + path_);
    }
    // Open for writing too, so the FIFO never reads as ended between two writers.
    fd_ = open(path_.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) {
        const int error = errno;
        unlink(path_.c_str());
        throw std::system_error(error, std::generic_category(), "opening FIFO " + path_);
    }
}

ControlFifo::~ControlFifo() {
    if (fd_ < 0) {
        return;
    }
    // A later camera may have replaced our FIFO at the same path (a board opened again before the
    // old channel closed); its FIFO stays.
    struct stat ours {};
    struct stat there {};
    if (fstat(fd_, &ours) == 0 && lstat(path_.c_str(), &there) == 0 &&
        ours.st_dev == there.st_dev && ours.st_ino == there.st_ino) {
        unlink(path_.c_str());
    }
    close(fd_);
}

void TakeCommands(ControlledCamera& camera, int stopFd, const std::vector<int>& inputFds,
                  const AnswerPrinter& print) {
    std::vector<pollfd> fds{{stopFd, POLLIN, 0}};
    std::vector<LineSplitter> lines(inputFds.size());
    for (int fd : inputFds) {
        fds.push_back({fd, POLLIN, 0});
    }
    for (;;) {
        if (poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;
        }
        if (fds[0].revents) {
            return;
        }
        for (size_t i = 1; i < fds.size(); ++i) {
            if (!fds[i].revents) {
                continue;
            }
            char buffer[512];
            const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
                continue;
            }
            if (n <= 0) {
                fds[i].fd = -1;  // ended or unreadable: poll ignores it from now on
                continue;
            }
            for (const std::string& line : lines[i - 1].Take({buffer, size_t(n)})) {
                if (const std::string answer = RunControlCommand(camera, line); !answer.empty()) {
                    print(answer);
                }
            }
        }
    }
}

std::unique_ptr<CommandListener> ListenOnFifo(const std::string& fifoPath, ControlledCamera& camera,
                                              AnswerPrinter print) {
    return std::make_unique<FifoCommandListener>(fifoPath, camera, std::move(print));
}

}  // namespace tavin::sim
