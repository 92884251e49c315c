#include "ClSerialSim.h"

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "ControlCommands.h"
#include "DataFile.h"
#include "VirtualCamera.h"

namespace tavin::sim {
namespace {

using Clock = std::chrono::steady_clock;

SimTime Now() {
    return Clock::now().time_since_epoch();
}

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

int EnvNumber(const char* name, int max) {
    const std::string text = Env(name);
    if (text.empty()) {
        return 0;
    }
    size_t end = 0;
    int value = -1;
    try {
        value = std::stoi(text, &end);
    } catch (const std::exception&) {
    }
    if (end != text.size() || value < 0 || value > max) {
        throw std::invalid_argument(std::string(name) + " wants a number from 0 to " +
                                    std::to_string(max) + ", not \"" + text + "\"");
    }
    return value;
}

// One board channel: a camera with its own line and clock, and the commands that change it while
// it serves.
class SimChannel final : public ControlledCamera {
  public:
    SimChannel() : camera_(CameraSettings(CameraModel::CameraLink)), started_(Now()) {
        if (const std::string state = Env("CLSERSIM_STATE"); !state.empty()) {
            camera_.Engine().Settings().Load(ReadDataFile(state));
        }
        if (const std::string fault = Env("CLSERSIM_FAULT"); !fault.empty()) {
            camera_.SetFault(ParseFault(fault));
        }
        camera_.SetPacing({EnvNumber("CLSERSIM_BAUD", 4000000),
                           std::chrono::milliseconds(EnvNumber("CLSERSIM_TURNAROUND_MS", 60000))});
        if (const std::string logPath = Env("CLSERSIM_LOG"); !logPath.empty()) {
            log_.open(logPath, std::ios::app);
            if (!log_) {
                throw std::invalid_argument("cannot write the log file " + logPath);
            }
            camera_.SetObserver([this](SimTime at, const MonitorEvent& event) {
                log_ << FormatMonitorLine(at - started_, event) << std::endl;
            });
        }
        if (const std::string control = Env("CLSERSIM_CONTROL"); !control.empty()) {
            commands_ = ListenOnFifo(control, *this,
                                     [this](const std::string& answer) { PrintAnswer(answer); });
        }
    }

    void SetFault(const Fault& fault) override {
        std::lock_guard lock(mutex_);
        camera_.SetFault(fault);
        changed_.notify_all();
    }
    Fault CurrentFault() const override {
        std::lock_guard lock(mutex_);
        return camera_.Engine().GetFault();
    }
    void Load(std::span<const int32_t, kFactoryItemCount> values) override {
        std::lock_guard lock(mutex_);
        camera_.Engine().Settings().Load(values);
    }
    void HangUp() override {
        std::lock_guard lock(mutex_);
        camera_.HangUp(Now());
        changed_.notify_all();
    }
    bool LineOpen() override {
        std::lock_guard lock(mutex_);
        Pump();
        return !closed_;
    }
    uint64_t BytesFromHost() const override {
        std::lock_guard lock(mutex_);
        return camera_.BytesFromHost();
    }
    uint64_t BytesToHost() const override {
        std::lock_guard lock(mutex_);
        return camera_.BytesToHost();
    }

    int Write(const char* buffer, unsigned long* count) {
        std::lock_guard lock(mutex_);
        if (closed_) {
            *count = 0;
            return kClSimHungUp;
        }
        camera_.FromHost(std::span(reinterpret_cast<const uint8_t*>(buffer), *count), Now());
        changed_.notify_all();
        return 0;
    }

    // Waits for the bytes the camera sends, without spinning: until the camera's next byte is
    // due, a write from another thread arrives, or the time-out passes.
    int Read(char* buffer, unsigned long* count, unsigned long timeoutMs) {
        std::unique_lock lock(mutex_);
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            Pump();
            if (received_.size() >= *count) {
                return Deliver(buffer, count, 0);
            }
            if (closed_) {
                return Deliver(buffer, count, kClSimHungUp);
            }
            auto wakeAt = deadline;
            if (const auto next = camera_.NextEventTime()) {
                wakeAt = std::min(
                    wakeAt, Clock::time_point(std::chrono::duration_cast<Clock::duration>(*next)));
            }
            if (Clock::now() >= deadline) {
                return Deliver(buffer, count, kClSimTimeOut);
            }
            changed_.wait_until(lock, wakeAt);
        }
    }

  private:
    // Answers go where the monitor goes, between its lines, as tavin-camsim prints them; without
    // a log to standard error.
    void PrintAnswer(const std::string& answer) {
        std::lock_guard lock(mutex_);
        if (log_.is_open()) {
            log_ << answer << std::endl;
        } else {
            std::cerr << "libclsersim: " << answer << std::endl;
        }
    }

    // Runs the camera up to now and keeps what reached the host. Called with the lock held.
    void Pump() {
        const LineOutput out = camera_.Advance(Now());
        received_.insert(received_.end(), out.bytes.begin(), out.bytes.end());
        closed_ = closed_ || out.closed;
    }

    int Deliver(char* buffer, unsigned long* count, int result) {
        const size_t n = std::min<size_t>(*count, received_.size());
        std::copy(received_.begin(), received_.begin() + n, buffer);
        received_.erase(received_.begin(), received_.begin() + n);
        *count = n;
        return result;
    }

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    VirtualCamera camera_;
    SimTime started_;
    std::ofstream log_;
    std::vector<uint8_t> received_;  // reached the host, not yet read
    bool closed_ = false;
    // Last, so that its thread has stopped before anything it reaches goes.
    std::unique_ptr<CommandListener> commands_;
};

}  // namespace
}  // namespace tavin::sim

using tavin::sim::SimChannel;

extern "C" {

int clSerialInit(unsigned long /*serialIndex*/, void** serialRef) {
    if (serialRef == nullptr) {
        return kClSimBadArgument;
    }
    *serialRef = nullptr;
    try {
        *serialRef = new SimChannel();
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "libclsersim: " << e.what() << std::endl;
        return kClSimBadConfig;
    }
}

int clSerialRead(void* serialRef, char* buffer, unsigned long* count, unsigned long timeoutMs) {
    if (serialRef == nullptr || buffer == nullptr || count == nullptr) {
        return kClSimBadArgument;
    }
    return static_cast<SimChannel*>(serialRef)->Read(buffer, count, timeoutMs);
}

int clSerialWrite(void* serialRef, char* buffer, unsigned long* count,
                  unsigned long /*timeoutMs*/) {
    if (serialRef == nullptr || buffer == nullptr || count == nullptr) {
        return kClSimBadArgument;
    }
    return static_cast<SimChannel*>(serialRef)->Write(buffer, count);
}

void clSerialClose(void* serialRef) {
    delete static_cast<SimChannel*>(serialRef);
}
}
