#pragma once

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

// Waits for a blocking call that cannot be cancelled, such as the system's name lookup, only
// until a deadline. The call runs on a thread of its own; on time-out that thread finishes alone
// and its result is dropped together with the state both sides share. The system's own lookup
// stays in charge (hosts file, name service switch, resolver options), and the same code serves
// every platform's socket layer.

namespace tavin {

// `call`'s result, or nothing when `deadline` passed first. `whileWaiting` (may be empty) is
// called every `slice` meanwhile, so that a window can repaint.
template <typename Result>
std::optional<Result> CallWithDeadline(
    std::function<Result()> call, std::chrono::steady_clock::time_point deadline,
    const std::function<void()>& whileWaiting,
    std::chrono::milliseconds slice = std::chrono::milliseconds(50)) {
    struct Shared {
        std::mutex mutex;
        std::condition_variable done;
        std::optional<Result> result;
    };
    auto shared = std::make_shared<Shared>();
    try {
        std::thread([shared, call] {
            Result result = call();
            const std::lock_guard lock(shared->mutex);
            shared->result = std::move(result);
            shared->done.notify_all();
        }).detach();
    } catch (const std::system_error&) {
        return call();  // no thread to be had: unbounded, but still an answer
    }
    std::unique_lock lock(shared->mutex);
    for (;;) {
        const auto now = std::chrono::steady_clock::now();
        if (shared->result || now >= deadline) {
            return std::move(shared->result);
        }
        shared->done.wait_until(lock, std::min(deadline, now + slice));
        if (!shared->result && whileWaiting) {
            lock.unlock();
            whileWaiting();
            lock.lock();
        }
    }
}

}  // namespace tavin
