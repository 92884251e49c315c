// The millisecond tick count on Windows. GetTickCount64 rather than the 32-bit GetTickCount: a
// deadline taken shortly before the 32-bit count wraps (every 49.7 days of uptime) would lie
// behind "now" and end a read at once.
#include <windows.h>

#include "TickSource.h"

namespace tavin {

namespace {

class Win32TickSource final : public TickSource {
  public:
    uint64_t NowMs() override { return GetTickCount64(); }
};

}  // namespace

TickSource& SystemTicks() {
    static Win32TickSource ticks;
    return ticks;
}

}  // namespace tavin
