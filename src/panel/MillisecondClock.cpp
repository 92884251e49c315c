#include "MillisecondClock.h"

#include "ProgramWait.h"

#include <QCoreApplication>
#include <QTimer>
#include <chrono>

namespace tavin {

namespace {

class SystemClock final : public MillisecondClock {
  public:
    uint32_t TickCount() override {
        using namespace std::chrono;
        return static_cast<uint32_t>(
            duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
    }

    void Pause(uint32_t ms) override {
        // The timer only wakes the wait; the caller reads the clock again.
        QTimer wake;
        wake.setSingleShot(true);
        wake.setTimerType(Qt::PreciseTimer);
        wake.start(std::chrono::milliseconds(ms));
        const ProgramWait waiting;
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                        QEventLoop::WaitForMoreEvents);
    }
};

}  // namespace

MillisecondClock& SystemMillisecondClock() {
    static SystemClock clock;
    return clock;
}

}  // namespace tavin
