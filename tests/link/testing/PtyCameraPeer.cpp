#include "PtyCameraPeer.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>

namespace tavin::testing {

PtyCameraPeer::PtyCameraPeer() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
        throw std::runtime_error("no pseudo-terminal");
    }
    char name[128];
    if (ptsname_r(master_, name, sizeof(name)) != 0) {
        throw std::runtime_error("no pseudo-terminal name");
    }
    slavePath_ = name;
    slave_ = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
}

PtyCameraPeer::~PtyCameraPeer() {
    stop_ = true;
    if (thread_.joinable()) {
        thread_.join();
    }
    if (slave_ >= 0) {
        close(slave_);
    }
    close(master_);
}

void PtyCameraPeer::Start() {
    thread_ = std::thread([this] { Serve(); });
}

void PtyCameraPeer::Serve() {
    while (!stop_) {
        pollfd entry{master_, POLLIN, 0};
        if (poll(&entry, 1, 20) <= 0 || (entry.revents & POLLIN) == 0) {
            continue;
        }
        uint8_t bytes[256];
        const ssize_t got = read(master_, bytes, sizeof(bytes));
        if (got <= 0) {
            continue;
        }
        std::vector<FakeCameraPeer::Chunk> answer;
        {
            std::lock_guard lock(mutex_);
            answer = peer_.Receive(bytes, static_cast<size_t>(got));
        }
        for (const FakeCameraPeer::Chunk& chunk : answer) {
            std::this_thread::sleep_for(std::chrono::milliseconds(chunk.delayMs));
            if (write(master_, chunk.bytes.data(), chunk.bytes.size()) < 0) {
                break;
            }
        }
    }
}

}  // namespace tavin::testing
