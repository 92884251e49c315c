#pragma once

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

// Collects the simulated camera's monitor lines, so a test can count what the host really sent.

namespace tavin::sim::test {

class EventCounter {
  public:
    std::function<void(const std::string&)> Sink() {
        return [this](const std::string& line) {
            std::lock_guard lock(mutex_);
            lines_.push_back(line);
            added_.notify_all();
        };
    }
    // The number of lines holding `fragment`, once there are `expected` of them or `timeout`
    // has passed. The host's last bytes may still be on their way through the pseudo-terminal
    // when it returns, so a test waits for them instead of counting at once.
    int Count(const std::string& fragment, int expected,
              std::chrono::milliseconds timeout = std::chrono::milliseconds(2000)) const {
        std::unique_lock lock(mutex_);
        added_.wait_for(lock, timeout, [&] { return CountLocked(fragment) >= expected; });
        return CountLocked(fragment);
    }

    static constexpr const char* kEnq = "host   ENQ  ->";
    static constexpr const char* kRead = "host   read";
    static constexpr const char* kReply = "camera reply";
    static constexpr const char* kUnanswered = "left unanswered";
    static constexpr const char* kReplyAccepted = "(reply accepted)";
    std::string All() const {
        std::lock_guard lock(mutex_);
        std::string text;
        for (const auto& l : lines_) {
            text += l + "\n";
        }
        return text;
    }

  private:
    int CountLocked(const std::string& fragment) const {
        return static_cast<int>(std::count_if(lines_.begin(), lines_.end(), [&](const auto& l) {
            return l.find(fragment) != std::string::npos;
        }));
    }

    mutable std::mutex mutex_;
    mutable std::condition_variable added_;
    std::vector<std::string> lines_;
};

}  // namespace tavin::sim::test
