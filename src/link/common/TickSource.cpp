#include "TickSource.h"

#include <chrono>

namespace tavin {

namespace {

class SteadyTickSource final : public TickSource {
  public:
    uint64_t NowMs() override {
        using namespace std::chrono;
        return static_cast<uint64_t>(
            duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
    }
};

}  // namespace

TickSource& SystemTicks() {
    static SteadyTickSource ticks;
    return ticks;
}

}  // namespace tavin
