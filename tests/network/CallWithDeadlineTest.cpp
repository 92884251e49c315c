// A blocking call that cannot be cancelled (the name lookup) is waited for only until the
// deadline; the abandoned call finishes alone later without touching the caller.
#include "CallWithDeadline.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <string>

namespace tavin {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

TEST(CallWithDeadline, GivesTheResultOfAQuickCall) {
    int waits = 0;
    const auto result = CallWithDeadline<std::string>([] { return std::string("found"); },
                                                      Clock::now() + 5s, [&] { ++waits; });
    EXPECT_EQ(result, "found");
}

TEST(CallWithDeadline, StopsWaitingForAStuckCallAtTheDeadlineAndLetsItFinishAlone) {
    auto release = std::make_shared<std::promise<void>>();
    auto finished = std::make_shared<std::promise<void>>();
    std::shared_future<void> released = release->get_future().share();
    int waits = 0;
    const auto start = Clock::now();
    const auto result = CallWithDeadline<std::string>(
        [released, finished] {
            released.wait();  // a name server that does not answer
            finished->set_value();
            return std::string("too late");
        },
        start + 300ms, [&] { ++waits; });
    const auto took = Clock::now() - start;
    EXPECT_FALSE(result.has_value());
    EXPECT_GE(took, 300ms);
    EXPECT_LT(took, 800ms);
    EXPECT_GE(waits, 3);  // every 50 ms, so a window can repaint

    release->set_value();
    EXPECT_EQ(finished->get_future().wait_for(5s), std::future_status::ready);
}

}  // namespace
}  // namespace tavin
