// What a run on several links tells scripts: each link's result, the run's exit status, and JSON
// Lines whatever the command printed.
#include <gtest/gtest.h>
#include <sstream>

#include "LinkReport.h"
#include "Report.h"

namespace tavin::ctl {
namespace {

TEST(LinkResults, HowALinkProcessEndedNamesItsResult) {
    const struct {
        Command command;
        LinkEnd end;
        std::string result;
        int exitStatus;
    } cases[] = {
        {Command::Write, LinkEnd::Exited(0), "ok", 0},
        {Command::Write, LinkEnd::Exited(1), "failed", 1},
        {Command::Diff, LinkEnd::Exited(1), "differs", 1},
        // A camera that cannot be read does not differ from the file: it failed.
        {Command::Diff, LinkEnd::Exited(2), "failed", 2},
        {Command::Set, LinkEnd::Exited(2), "refused", 2},
        {Command::Write, LinkEnd::Exited(143), "interrupted", 143},
        {Command::Diff, LinkEnd::Exited(130), "interrupted", 130},
        {Command::Write, LinkEnd::Signaled(11, false), "crashed (signal 11)", 1},
        {Command::Write, LinkEnd::Signaled(9, true), "killed", 1},
    };
    for (const auto& c : cases) {
        LinkRun run;
        SetResult(c.command, c.end, run);
        EXPECT_EQ(run.result, c.result) << c.end.exitStatus << " " << c.end.signal;
        EXPECT_EQ(run.exitStatus, c.exitStatus) << c.result;
    }
}

TEST(LinkResults, ForDiffTroubleOutweighsADifference) {
    const auto status = [](Command command, std::vector<int> exits) {
        std::vector<LinkRun> runs(exits.size());
        for (size_t i = 0; i < exits.size(); ++i) {
            runs[i].exitStatus = exits[i];
        }
        return OverallStatus(command, runs);
    };
    EXPECT_EQ(status(Command::Diff, {0, 0}), 0);
    EXPECT_EQ(status(Command::Diff, {0, 1}), 1);
    EXPECT_EQ(status(Command::Diff, {1, 2, 0}), 2);
    EXPECT_EQ(status(Command::Diff, {143, 0}), 2);
    EXPECT_EQ(status(Command::Write, {0, 2}), 1);
    EXPECT_EQ(status(Command::Write, {0, 0, 0}), 0);
}

TEST(LinkResults, ACommandsJsonBecomesOneLineWithItsStringsUntouched) {
    std::ostringstream printed;
    const ItemRow rows[] = {RowFromCamera(9, 25), RowFromCamera(16, 0x0A0B)};
    PrintItemJson(printed, rows);
    ASSERT_NE(printed.str().find('\n'), printed.str().size() - 1);  // several lines to start with
    EXPECT_EQ(OneLineJson(printed.str()),
              "{\"items\": [{\"index\": 9, \"label\": \"GAIN (FINE)\", \"value\": 25, \"camera\": "
              "25}, {\"index\": 16, \"label\": \"PARTIALSCAN ON/OFF\", \"value\": 16706, "
              "\"camera\": 2571, \"text\": \"AB\"}]}");
    EXPECT_EQ(OneLineJson("{\"a\" :\n  \"x,\\\" y:\\n\",\t\"b\": [ 1 ,2 ]}\n"),
              "{\"a\": \"x,\\\" y:\\n\", \"b\": [1, 2]}");
}

TEST(LinkResults, FramesComeApartHoweverTheyArrive) {
    const std::string stream = EncodeFrame(kProgressFrame, "Writing 3/45") +
                               EncodeFrame(kOutFrame, "") + EncodeFrame(kErrFrame, "ERROR - x\n");
    LinkRun run;
    for (const char byte : stream) {  // a byte at a time, as a pipe may hand them over
        run.received += byte;
        TakeFrames(run);
    }
    EXPECT_EQ(run.progress, "Writing 3/45");
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "ERROR - x\n");
    EXPECT_TRUE(run.received.empty());
    EXPECT_EQ(ProgressOfLink("\rReading 2/45 GAIN (FINE)\rWriting 12/45 BLACK LEVEL"),
              "Writing 12/45");
}

}  // namespace
}  // namespace tavin::ctl
