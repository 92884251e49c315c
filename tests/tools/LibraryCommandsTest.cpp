// tavinctl through a Camera Link serial library: the simulated camera's libclsersim.so.
#include <gtest/gtest.h>

#include <sstream>

#include "ProgramRun.h"
#include "SampleFiles.h"

namespace tavin::ctl::testing {
namespace {

int LinesWith(const std::string& text, const std::string& wanted) {
    std::istringstream in(text);
    int count = 0;
    for (std::string line; std::getline(in, line);) {
        count += line.find(wanted) != std::string::npos ? 1 : 0;
    }
    return count;
}

TEST(LibraryCommands, ReadSavesWhatTheBoardsCameraHolds) {
    ScratchDir dir;
    WriteDataFile(dir / "state.tvn", SampleValues());
    const ProgramResult run =
        RunProgram(TAVINCTL_PATH, {"--library", CLSERSIM_PATH, "read", "-o", dir / "now.tvn"},
                   {{"CLSERSIM_STATE", dir / "state.tvn"}});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(ReadBytes(dir / "now.tvn"), ReadBytes(dir / "state.tvn"));
}

TEST(LibraryCommands, WriteSendsFortyFiveItemsThroughTheLibrary) {
    ScratchDir dir;
    WriteDataFile(dir / "golden.tvn", SampleValues());
    const ProgramResult run =
        RunProgram(TAVINCTL_PATH, {"write", dir / "golden.tvn", "-l", CLSERSIM_PATH},
                   {{"CLSERSIM_LOG", dir / "camera.log"}});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(LinesWith(ReadBytes(dir / "camera.log"), "host   write"), 45);
}

TEST(LibraryCommands, EachSerialChannelOfTheBoardIsALinkOfItsOwn) {
    ScratchDir dir;
    WriteDataFile(dir / "golden.tvn", SampleValues());
    const ProgramResult run = RunProgram(TAVINCTL_PATH, {"-l", CLSERSIM_PATH, "-l", CLSERSIM_PATH,
                                                         "write", "--verify", dir / "golden.tvn"});
    EXPECT_EQ(run.exitStatus, 0) << run.out << run.err;
    EXPECT_EQ(LinesWith(run.out, "  ok  "), 2) << run.out;
    EXPECT_EQ(LinesWith(run.out, CLSERSIM_PATH + std::string("#1  ok")), 1) << run.out;
    EXPECT_EQ(LinesWith(run.out, "2 links: 2 ok, 0 not ok"), 1);
}

TEST(LibraryCommands, ABoardThatCannotOpenItsChannelIsAFailure) {
    const ProgramResult run = RunProgram(TAVINCTL_PATH, {"get", "9", "-l", CLSERSIM_PATH},
                                         {{"CLSERSIM_FAULT", "no-such-fault"}});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_NE(run.err.find("Bord Open Error\n"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("could not open the board's serial channel"), std::string::npos);
    EXPECT_EQ(run.out, "");
}

TEST(LibraryCommands, AMissingLibraryGivesTheOpenErrorText) {
    const ProgramResult run =
        RunProgram(TAVINCTL_PATH, {"read", "--library", "/nonexistent/libclserxyz.so"});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.err,
              "ERROR - Can not open communciation port.\n"
              "tavinctl: could not load the Camera Link library /nonexistent/libclserxyz.so\n");
}

}  // namespace
}  // namespace tavin::ctl::testing
