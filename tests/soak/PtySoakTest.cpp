// The real serial code on pseudo-terminals: repeated sessions with a fresh simulated camera,
// quick random faults, a hang-up in the middle of a write, and reopening. Afterwards the
// process holds no more file descriptors than before, and the heap has not grown.
#include <gtest/gtest.h>
#include <malloc.h>

#include <cstdlib>
#include <memory>
#include <random>

#include "CameraDataSet.h"
#include "FaultPlan.h"
#include "PtyCameraServer.h"
#include "SoakChecks.h"
#include "ThreadCpu.h"

namespace tavin::soak {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kHeapIsOurs = false;  // the sanitizer's allocator keeps its own books (and leaks)
#else
constexpr bool kHeapIsOurs = true;
#endif

// Faults that end within milliseconds on an unpaced line; the slow ones (seconds of time-outs)
// are soaked in virtual time.
sim::Fault DrawQuickFault(std::mt19937& random) {
    static constexpr sim::Fault kQuick[] = {
        {sim::FaultKind::NoiseBeforeReply, 0}, {sim::FaultKind::LowerCaseChecksum, 0},
        {sim::FaultKind::NonHexValue, 0},      {sim::FaultKind::EnqNak, 0},
        {sim::FaultKind::EnqWrongByte, 0},     {sim::FaultKind::BadReplyChecksum, 1},
        {sim::FaultKind::BadReplyChecksum, 3},
    };
    if (random() % 2) {
        return {};
    }
    return kQuick[random() % std::size(kQuick)];
}

class PtySession {
  public:
    explicit PtySession(CameraDataSet& data, const sim::CameraSettings& settings) {
        sim::ServerOptions options;
        options.settings = settings;
        server_ = std::make_unique<sim::PtyCameraServer>(std::move(options));
        setenv("TAVIN_COM1", server_->DevicePath().c_str(), 1);
        opened_ = data.OpenPort(1, 19200);
    }
    sim::PtyCameraServer& Camera() { return *server_; }
    int32_t Opened() const { return opened_; }

  private:
    std::unique_ptr<sim::PtyCameraServer> server_;
    int32_t opened_ = -1;
};

TEST(PtySoak, SessionsWithFaultsAndAHangUpLeakNeitherDescriptorsNorMemory) {
    constexpr int kSessions = 8;
    constexpr int kExchangesPerSession = 80;
    // Generous: each of these exchanges takes well under a millisecond on an idle machine.
    constexpr auto kQuickExchangeLimit = 1500ms;
    std::mt19937 random(0x50a4);
    const int descriptorsBefore = OpenDescriptorCount();
    size_t heapAfterFirstSession = 0;
    {
        CameraDataSet data;
        HeldValues held(data);
        sim::CameraSettings cameraState;
        for (int session = 0; session < kSessions; ++session) {
            PtySession line(data, cameraState);
            ASSERT_EQ(line.Opened(), 0) << "session " << session;
            for (int n = 0; n < kExchangesPerSession; ++n) {
                const sim::Fault fault = DrawQuickFault(random);
                const int index = static_cast<int>(random() % kCameraItemCount);
                const Operation operation = random() % 2 ? Operation::kRead : Operation::kWrite;
                const int32_t value = DrawValue(index, static_cast<uint32_t>(random()));
                line.Camera().SetFault(fault);
                const auto start = Clock::now();
                const int32_t result = operation == Operation::kRead ? data.ReadItem(index)
                                                                     : data.WriteItem(index, value);
                const auto took = Clock::now() - start;
                line.Camera().SetFault({});

                const std::string what = "session " + std::to_string(session) + ", item " +
                                         std::to_string(index) + ", " + Describe(fault, operation);
                if (result < 0) {
                    const Expectation expected = Expect(fault, operation);
                    ASSERT_TRUE(ReachesCamera(index, operation) && expected.mayHaveFailed &&
                                expected.failureCodes.contains(-result))
                        << what << " failed with " << -result;
                } else if (ReachesCamera(index, operation)) {
                    ASSERT_TRUE(Expect(fault, operation).mayHaveSucceeded) << what;
                }
                ASSERT_LT(took, kQuickExchangeLimit) << what;
                // The server's settings are read under its lock; copy them for the check.
                sim::CameraSettings now = cameraState;
                const auto& def = GetItemDef(index);
                const uint8_t command =
                    operation == Operation::kRead ? def.readCommand : def.writeCommand;
                const auto group = sim::GroupOfCommand(command);
                now.Set(group, def.itemNumber, line.Camera().Value(group, def.itemNumber));
                cameraState = now;
                ASSERT_EQ(held.Check(data, cameraState, index, operation, value, result), "")
                    << what;
            }
            if (session == kSessions / 2) {
                // The camera hangs up once the write's frame is in: the write fails with the
                // line's I/O error after one frame time-out, without spinning meanwhile.
                line.Camera().SetFault({sim::FaultKind::HangUp, 0});
                const int32_t before = data.GetValue(0, false);
                const ThreadCpuMeter cpu;
                const auto start = Clock::now();
                const int32_t result = data.WriteItem(0, before ^ 1);
                const auto took = Clock::now() - start;
                EXPECT_EQ(result, -CommStatus::kIoError);
                EXPECT_EQ(data.GetValue(0, false), before);
                EXPECT_GE(took, 2998ms);  // the transport counts whole milliseconds
                EXPECT_LT(took, 3000ms + kQuickExchangeLimit);
                EXPECT_LT(cpu.Elapsed(), 150ms) << "busy waiting on a line that hung up";
                EXPECT_TRUE(line.Camera().WaitForHangUp(0ms));
            }
            if (session == 0) {
                heapAfterFirstSession = mallinfo2().uordblks;
            }
        }
        data.Close();
        if (kHeapIsOurs) {
            // A few kilobytes of slack for the allocator's own rounding.
            EXPECT_LT(mallinfo2().uordblks, heapAfterFirstSession + 64 * 1024);
        }
    }
    EXPECT_EQ(OpenDescriptorCount(), descriptorsBefore);
}

}  // namespace
}  // namespace tavin::soak
