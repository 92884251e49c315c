// Thousands of item exchanges between the real data set, protocol and transport and the
// simulated camera on a paced line, with seeded random faults, in virtual time. Every exchange
// must end as the protocol promises for its fault, and the data set must only ever hold values
// the camera acknowledged or sent.
#include <gtest/gtest.h>

#include <cstdio>
#include <deque>
#include <memory>
#include <random>

#include "CameraDataSet.h"
#include "FaultPlan.h"
#include "SimulatedCameraDevice.h"
#include "SoakChecks.h"

namespace tavin::soak {
namespace {

using namespace std::chrono_literals;
using testing::SimulatedCameraDevice;
using testing::VirtualClock;

constexpr int kBaud = 19200;
// Line time an exchange may spend on top of its time-outs: every retry's bytes at 19200 baud
// (a byte is 0.57 ms) with room to spare.
constexpr auto kLineAllowance = 600ms;

class VirtualTimeSoak : public ::testing::Test {
  protected:
    void SetUp() override {
        auto device =
            std::make_unique<SimulatedCameraDevice>(clock_, NewCamera(sim::CameraSettings()));
        line_ = device.get();
        data_.UseSerialDevice(std::move(device));
        data_.UseTickSource(clock_);
        ASSERT_EQ(data_.OpenPort(1, kBaud), 0);
    }

    sim::VirtualCamera& NewCamera(const sim::CameraSettings& settings) {
        cameras_.emplace_back(settings);
        cameras_.back().SetPacing({kBaud, 0us});
        return cameras_.back();
    }

    // The camera came back after hanging up, still holding its settings; the host reopens.
    void Reconnect() {
        line_->Connect(NewCamera(Camera().Engine().Settings()));
        ASSERT_EQ(data_.OpenPort(1, kBaud), 0);
    }

    sim::VirtualCamera& Camera() { return cameras_.back(); }

    VirtualClock clock_;
    std::deque<sim::VirtualCamera> cameras_;  // stable addresses; one per connection
    SimulatedCameraDevice* line_ = nullptr;
    CameraDataSet data_;
};

TEST_F(VirtualTimeSoak, EveryExchangeEndsAsPromisedAndKeepsOnlyAcknowledgedValues) {
    constexpr int kExchanges = 50000;
    const sim::SimTime begin = clock_.Now();
    std::mt19937 random(0x7a41);
    HeldValues held(data_);
    int failures = 0;
    int hangUps = 0;
    for (int n = 0; n < kExchanges; ++n) {
        const sim::Fault fault = DrawFault(random, true);
        const int index = std::uniform_int_distribution(0, kCameraItemCount - 1)(random);
        const Operation operation = random() % 2 ? Operation::kRead : Operation::kWrite;
        const int32_t value = DrawValue(index, static_cast<uint32_t>(random()));

        Camera().SetFault(fault);
        const sim::SimTime start = clock_.Now();
        const int32_t result =
            operation == Operation::kRead ? data_.ReadItem(index) : data_.WriteItem(index, value);
        const sim::SimTime took = clock_.Now() - start;
        Camera().SetFault({});

        const std::string what = "exchange " + std::to_string(n) + ", item " +
                                 std::to_string(index) + ", " + Describe(fault, operation);
        if (!ReachesCamera(index, operation)) {
            ASSERT_GE(result, 0) << what;
            ASSERT_EQ(took, 0ms) << what;
        } else {
            const Expectation expected = Expect(fault, operation);
            if (result >= 0) {
                ASSERT_TRUE(expected.mayHaveSucceeded) << what << " succeeded";
            } else {
                ASSERT_TRUE(expected.mayHaveFailed) << what << " failed with " << -result;
                ASSERT_TRUE(expected.failureCodes.contains(-result))
                    << what << " failed with unexpected status " << -result;
                ++failures;
            }
            const auto wait = std::chrono::milliseconds(expected.waitMs);
            ASSERT_GE(took, wait) << what << ": gave up early";
            ASSERT_LE(took, wait + kLineAllowance) << what << ": took too long";
        }
        const std::string broken =
            held.Check(data_, Camera().Engine().Settings(), index, operation, value, result);
        ASSERT_EQ(broken, "") << what;

        line_->SettleLine();  // the user's next action comes when the line is quiet
        if (line_->HungUp()) {
            ++hangUps;
            Reconnect();
        }
    }
    // The run really exercised the failure paths and the reconnection.
    EXPECT_GT(failures, kExchanges / 20);
    EXPECT_GT(hangUps, 100);
    std::printf("%d exchanges, %d failed as promised, %d hang-ups, %.0f s of camera time\n",
                kExchanges, failures, hangUps,
                std::chrono::duration<double>(clock_.Now() - begin).count());
}

}  // namespace
}  // namespace tavin::soak
