// Interrupting tavinctl on a line of simulated cameras: each link stops after the item in hand
// and says how far it came, the run ends with the shell's status for the signal, and no link
// process is left behind, also when the parent is killed outright.
#include <gtest/gtest.h>

#include <QJsonObject>
#include <condition_variable>
#include <csignal>
#include <deque>
#include <memory>
#include <mutex>

#include "ProgramRun.h"
#include "PtyCameraServer.h"
#include "SampleFiles.h"

namespace tavin::ctl::testing {
namespace {

using namespace std::chrono_literals;

// Cameras paced like real ones at 19200 baud, so that a verified write of 45 items takes over a
// second and a signal can land in the middle of it.
class CameraLine : public ::testing::Test {
  protected:
    void SetUp() override { WriteDataFile(dir_ / "golden.tvn", SampleValues()); }

    void AddCamera(const std::string& name, int baud = 19200) {
        const size_t index = cameras_.size();
        {
            std::lock_guard lock(mutex_);
            writes_.push_back(0);
            reads_.push_back(0);
        }
        sim::ServerOptions options;
        options.pacing.baud = baud;
        options.monitor = [this, index](const std::string& line) {
            std::lock_guard lock(mutex_);
            writes_[index] += line.find("host   write") != std::string::npos ? 1 : 0;
            reads_[index] += line.find("host   read") != std::string::npos ? 1 : 0;
            seen_.notify_all();
        };
        cameras_.push_back(std::make_unique<sim::PtyCameraServer>(std::move(options)));
        links_ += name + "  " + cameras_.back()->DevicePath() + "\n";
    }

    std::string LinksFile() {
        WriteBytes(dir_ / "line.links", links_);
        return dir_ / "line.links";
    }

    // Until camera `index` has taken `count` writes (and `readCount` reads).
    void AwaitWrites(size_t index, int count, int readCount = 0) {
        std::unique_lock lock(mutex_);
        ASSERT_TRUE(seen_.wait_for(
            lock, 10s, [&] { return writes_[index] >= count && reads_[index] >= readCount; }));
    }

    int Writes(size_t index) {
        std::lock_guard lock(mutex_);
        return writes_[index];
    }

    // N of the line "interrupted after item N of 45 while writing (SIGNAL); ..." that `text`
    // holds, when the rest of the line is as it should be; -1 otherwise.
    static int ItemsReported(const std::string& text, const std::string& signal) {
        const std::string start = "tavinctl: interrupted after item ";
        const size_t at = text.find(start);
        if (at == std::string::npos) {
            return -1;
        }
        size_t end = 0;
        const int items = std::stoi(text.substr(at + start.size()), &end);
        const std::string rest =
            " of 45 while writing (" + signal + "); the items after it were not written\n";
        return text.compare(at + start.size() + end, rest.size(), rest) == 0 ? items : -1;
    }

    // What the line of link `name` and the indented text below it say.
    static std::string LinkReport(const std::string& out, const std::string& name) {
        const size_t at = out.find(name + " ");
        const size_t end = out.find("\n", out.find("\n", at) + 1);
        return at == std::string::npos ? "" : out.substr(at, end + 1 - at);
    }

    ScratchDir dir_;
    std::string links_;
    std::mutex mutex_;
    std::condition_variable seen_;
    // Deques: a camera added later must not move the counters that running cameras update.
    std::deque<int> writes_;
    std::deque<int> reads_;
    // Last, so that the cameras' threads stop before the counters they update go away.
    std::vector<std::unique_ptr<sim::PtyCameraServer>> cameras_;
};

TEST_F(CameraLine, SigtermReportsEveryCameraAndExitsWith143) {
    for (const char* name : {"left", "middle", "right"}) {
        AddCamera(name);
    }
    AddCamera("quick", 0);  // unpaced: done before the signal comes
    RunningProgram run(TAVINCTL_PATH,
                       {"--links", LinksFile(), "write", "--verify", dir_ / "golden.tvn"});
    AwaitWrites(3, 45, 45);
    for (size_t i = 0; i < 3; ++i) {
        AwaitWrites(i, 3);
    }
    ::kill(run.Pid(), SIGTERM);
    const ProgramResult result = run.Wait();  // returns once every link process is gone

    EXPECT_EQ(result.exitStatus, 143) << result.out << result.err;
    EXPECT_EQ(result.err, "");
    const char* names[] = {"left", "middle", "right"};
    for (size_t i = 0; i < 3; ++i) {
        // The item in hand was finished, and every item written is counted.
        const std::string report = LinkReport(result.out, names[i]);
        EXPECT_NE(report.find(" interrupted "), std::string::npos) << result.out;
        const int reported = ItemsReported(report, "SIGTERM");
        EXPECT_GE(reported, 3) << result.out;
        EXPECT_LT(reported, 45);
        EXPECT_EQ(reported, Writes(i)) << names[i];
    }
    EXPECT_NE(result.out.find("quick   ok "), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("\n4 links: 1 ok, 3 not ok: "), std::string::npos);
    EXPECT_NE(result.out.find(" s); interrupted (SIGTERM)\n"), std::string::npos);
}

TEST_F(CameraLine, JsonLinesTellAnInterruptedRunToo) {
    AddCamera("left");
    AddCamera("right");
    RunningProgram run(TAVINCTL_PATH, {"--links", LinksFile(), "--json", "write", "--verify",
                                       dir_ / "golden.tvn"});
    AwaitWrites(0, 2);
    AwaitWrites(1, 2);
    ::kill(run.Pid(), SIGINT);
    const ProgramResult result = run.Wait();
    EXPECT_EQ(result.exitStatus, 130);
    std::vector<QJsonObject> objects;
    for (const std::string& line : Lines(result.out)) {
        objects.push_back(ParseJson(line).object());
    }
    ASSERT_EQ(objects.size(), 3u) << result.out;
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(objects[i]["result"].toString(), "interrupted");
        EXPECT_EQ(objects[i]["exit"].toInt(), 130);
        EXPECT_TRUE(objects[i]["errors"].toString().contains("interrupted after item "));
    }
    EXPECT_EQ(objects[2]["interrupted"].toBool(), true);
    EXPECT_EQ(objects[2]["exit"].toInt(), 130);
}

TEST_F(CameraLine, NoLinkProcessOutlivesAKilledParent) {
    AddCamera("left");
    AddCamera("right");
    RunningProgram run(TAVINCTL_PATH,
                       {"--links", LinksFile(), "write", "--verify", dir_ / "golden.tvn"});
    AwaitWrites(0, 2);
    AwaitWrites(1, 2);
    const auto killed = std::chrono::steady_clock::now();
    ::kill(run.Pid(), SIGKILL);
    const ProgramResult result = run.Wait();
    // The link processes share its output: it closes only once they are gone too, and they
    // would have gone on writing for another second.
    EXPECT_LT(std::chrono::steady_clock::now() - killed, 500ms);
    EXPECT_EQ(result.exitStatus, 128 + SIGKILL);
    EXPECT_LT(Writes(0), 45);
    EXPECT_LT(Writes(1), 45);
}

TEST_F(CameraLine, ASingleLinkStopsAfterTheItemInHand) {
    AddCamera("only");
    RunningProgram run(TAVINCTL_PATH,
                       {"write", dir_ / "golden.tvn", "--device", cameras_[0]->DevicePath()});
    AwaitWrites(0, 4);
    ::kill(run.Pid(), SIGINT);
    const ProgramResult result = run.Wait();
    EXPECT_EQ(result.exitStatus, 130);
    EXPECT_EQ(ItemsReported(result.err, "SIGINT"), Writes(0)) << result.err;
    EXPECT_EQ(Lines(result.err).size(), 1u) << result.err;
}

TEST_F(CameraLine, ASecondInterruptDoesNotWaitForASilentCamera) {
    AddCamera("silent");
    cameras_[0]->SetFault({.kind = sim::FaultKind::Silent});
    AddCamera("paced");
    RunningProgram run(TAVINCTL_PATH,
                       {"--links", LinksFile(), "write", "--verify", dir_ / "golden.tvn"});
    AwaitWrites(1, 2);
    // Two kinds of signal, as two of one kind may arrive as one.
    ::kill(run.Pid(), SIGINT);
    ::kill(run.Pid(), SIGTERM);
    const ProgramResult result = run.Wait();
    EXPECT_EQ(result.exitStatus, 130);
    // The silent camera's four tries at its first item would take four seconds.
    EXPECT_LT(result.elapsed, 3s);
    EXPECT_NE(result.out.find("silent  killed "), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("2 links: 0 ok, 2 not ok"), std::string::npos);
}

}  // namespace
}  // namespace tavin::ctl::testing
