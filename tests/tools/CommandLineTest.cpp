#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "Commands.h"
#include "CtlOptions.h"
#include "LinkList.h"
#include "Tavinctl.h"

namespace tavin::ctl {
namespace {

ParseResult Parse(std::vector<std::string> args) {
    return ParseCommandLine(args);
}

TEST(CommandLine, OptionsStandAnywhereAndTakeBothValueForms) {
    const ParseResult r = Parse({"--port=3", "read", "-o", "now.tvn", "--baud", "9600"});
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.options.command, Command::Read);
    EXPECT_EQ(r.options.link.port, 3);
    EXPECT_EQ(r.options.link.baudRate, 9600);
    EXPECT_EQ(r.options.outputFile, "now.tvn");

    const ParseResult s = Parse({"set", "9=30", "gain (rough)=3", "-dfoo", "--force"});
    ASSERT_TRUE(s.ok) << s.error;
    EXPECT_EQ(s.options.operands, (std::vector<std::string>{"9=30", "gain (rough)=3"}));
    EXPECT_EQ(s.options.link.device, "foo");
    EXPECT_TRUE(s.options.force);
}

TEST(CommandLine, PortsTakesMapEditsAndProbe) {
    const ParseResult r = Parse({"ports", "--map", "1=tcp://10.0.0.5:4001", "--probe", "--map",
                                 "2=/dev/null", "--unmap=3", "--json"});
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.options.command, Command::Ports);
    EXPECT_EQ(r.options.mapEntries,
              (std::vector<std::string>{"1=tcp://10.0.0.5:4001", "2=/dev/null"}));
    EXPECT_EQ(r.options.unmapPorts, std::vector<int>{3});
    EXPECT_TRUE(r.options.probe);
    EXPECT_TRUE(r.options.json);
}

TEST(CommandLine, OptionsAfterTheCommandCountAlsoUnderPosixlyCorrect) {
    ::setenv("POSIXLY_CORRECT", "1", 1);
    const ParseResult r = Parse({"read", "-p", "2", "-o", "now.tvn"});
    ::unsetenv("POSIXLY_CORRECT");
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.options.link.port, 2);
    EXPECT_EQ(r.options.outputFile, "now.tvn");
}

TEST(CommandLine, DefaultsAreComOneAt19200) {
    const ParseResult r = Parse({"get", "9"});
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.options.link.port, 1);
    EXPECT_EQ(r.options.link.baudRate, 19200);
    EXPECT_TRUE(r.options.link.device.empty());
    EXPECT_TRUE(r.options.link.library.empty());
}

TEST(CommandLine, DoubleDashLetsATextStartWithADash) {
    const ParseResult r = Parse({"send", "--", "-X"});
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.options.operands, std::vector<std::string>{"-X"});
}

TEST(CommandLine, HelpAndVersionWinOverAnythingElse) {
    EXPECT_EQ(Parse({"read", "--help"}).options.command, Command::Help);
    EXPECT_EQ(Parse({"-V"}).options.command, Command::Version);
    EXPECT_EQ(Parse({"help"}).options.command, Command::Help);
}

TEST(CommandLine, RefusesWhatCannotBeMeant) {
    const struct {
        std::vector<std::string> args;
        std::string error;
    } cases[] = {
        {{}, "no command"},
        {{"reed"}, "unknown command 'reed'"},
        {{"read", "--colour"}, "unknown option '--colour'"},
        {{"read", "--port", "0"}, "1 to 10"},
        {{"read", "--port", "11"}, "1 to 10"},
        {{"read", "--port", "2x"}, "1 to 10"},
        {{"read", "--port"}, "1 to 10"},
        {{"read", "--baud", "38400"}, "19200 or 9600"},
        {{"read", "-o"}, "takes a file name"},
        {{"read", "extra"}, "read takes no operands"},
        {{"write"}, "wrong number of operands"},
        {{"diff", "a.tvn"}, "wrong number of operands"},
        {{"get"}, "wrong number of operands"},
        {{"write", "a.tvn", "--json"}, "--json"},
        {{"get", "9", "-o", "x.tvn"}, "-o is for the read command"},
        {{"get", "9", "--force"}, "--force is for the set command"},
        {{"get", "9", "--verify"}, "--verify is for the write and set"},
        {{"read", "-l", "x.so", "-d", "/dev/x"}, "exclude each other"},
        {{"read", "--json=yes"}, "--json takes no value"},
        {{"read", "-x"}, "unknown option '-x'"},
        {{"read", "-p"}, "-p takes a COM port number"},
        {{"read", "--device="}, "--device takes the path"},
        {{"read", "--probe"}, "for the ports command only"},
        {{"ports", "list"}, "ports takes ports to ask only with --probe"},
        {{"ports", "--map", "11=/dev/ttyUSB0"}, "--map takes N=DEVICE"},
        {{"ports", "--map", "1="}, "--map takes N=DEVICE"},
        {{"ports", "--map", "1=rfc2217://host"}, "rfc2217://host is not a whole network"},
        {{"ports", "--unmap", "0"}, "--unmap takes a COM port number"},
    };
    for (const auto& c : cases) {
        const ParseResult r = ParseCommandLine(c.args);
        EXPECT_FALSE(r.ok) << ::testing::PrintToString(c.args);
        EXPECT_NE(r.error.find(c.error), std::string::npos)
            << ::testing::PrintToString(c.args) << " gave: " << r.error;
    }
}

TEST(CommandLine, OnlyCameraCommandsOpenTheLink) {
    for (Command c : {Command::Read, Command::Write, Command::Get, Command::Set, Command::Send,
                      Command::Query}) {
        EXPECT_TRUE(NeedsCamera(c));
    }
    for (Command c : {Command::Dump, Command::Diff, Command::Help, Command::Version}) {
        EXPECT_FALSE(NeedsCamera(c));
    }
}

struct InProcessRun {
    int status;
    std::string out;
    std::string err;
};

InProcessRun RunWith(std::vector<std::string> args) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = RunTavinctl(args, out, err, false);
    return {status, out.str(), err.str()};
}

TEST(Program, UsageErrorsExitWithTwoAndPointToHelp) {
    const InProcessRun run = RunWith({"frobnicate"});
    EXPECT_EQ(run.status, kUsageError);
    EXPECT_TRUE(run.out.empty());
    EXPECT_NE(run.err.find("Try 'tavinctl --help'"), std::string::npos);
}

TEST(Program, HelpNamesEveryCommandAndLinkOption) {
    const InProcessRun run = RunWith({"--help"});
    EXPECT_EQ(run.status, kSuccess);
    for (const char* word :
         {"read", "write", "get ITEM", "set ITEM=VALUE", "send TEXT", "query TEXT", "dump", "diff",
          "--port", "--device", "--library", "--baud", "--json", "--force"}) {
        EXPECT_NE(run.out.find(word), std::string::npos) << word;
    }
}

TEST(Program, BadItemsAreRefusedBeforeAnyPortIsOpened) {
    // COM 10 has no device here: had the port been opened first, the error would be the
    // port's, not the item's.
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"set", "9=51", "-p", "10"},
                                               {"set", "9", "-p", "10"},
                                               {"get", "nosuchlabel", "-p", "10"},
                                               {"set", "9=30", "menu=1", "-p", "10"}}) {
        const InProcessRun run = RunWith(args);
        EXPECT_EQ(run.status, kUsageError) << ::testing::PrintToString(args);
        EXPECT_EQ(run.err.find("ERROR - "), std::string::npos) << run.err;
    }
}

TEST(Program, AnUnopenablePortGivesTheProgramsStatusText) {
    const InProcessRun run = RunWith({"read", "--device", "/nonexistent/tty"});
    EXPECT_EQ(run.status, kFailure);
    EXPECT_EQ(run.err.rfind("ERROR - Can not open communciation port.\n", 0), 0u) << run.err;
    EXPECT_NE(run.err.find("/nonexistent/tty"), std::string::npos);
}

TEST(CommandLine, LinkNamesBecomePlainFileNames) {
    for (const auto& [name, file] : std::vector<std::pair<std::string, std::string>>{
             {"line3-left", "line3-left"},
             {"/dev/ttyUSB0", "dev_ttyUSB0"},
             {"rfc2217://10.0.0.7:7001", "rfc2217___10.0.0.7_7001"},
             {"../../etc/x", "etc_x"},
             {"..", "link"}}) {
        EXPECT_EQ(FileNameOf(name), file) << name;
    }
}

TEST(CommandLine, RepeatedLinkOptionsAndLinksFilesNameSeveralLinks) {
    const auto file = std::filesystem::temp_directory_path() / "tavinctl-test.links";
    std::ofstream(file) << "# line 3\n\nleft  /dev/ttyUSB0\n  COM4  # spare\n"
                        << "cam library:sim.so\nlibrary:sim.so\n";
    const ParseResult r =
        Parse({"-d", "/dev/a", "-d", "/dev/a2", "--links", file, "-b", "9600", "get", "9"});
    ASSERT_TRUE(r.ok) << r.error;
    const std::vector<LinkOptions>& links = r.options.links;
    ASSERT_EQ(links.size(), 6u);
    EXPECT_EQ(links[0].name, "/dev/a");
    EXPECT_EQ(links[2].name, "left");
    EXPECT_EQ(links[2].device, "/dev/ttyUSB0");
    EXPECT_EQ(links[3].name, "COM4");
    EXPECT_EQ(links[3].port, 4);
    EXPECT_EQ(links[4].library, "sim.so");
    EXPECT_EQ(links[5].serialIndex, 1u);  // the library's second serial channel
    EXPECT_EQ(links[5].name, "sim.so#1");
    for (const LinkOptions& link : links) {
        EXPECT_EQ(link.baudRate, 9600);
    }
    EXPECT_EQ(Parse({"-p", "2", "-p", "3", "read"}).options.links.size(), 2u);
    EXPECT_TRUE(Parse({"-d", "/dev/a", "get", "9"}).options.links.empty());

    const struct {
        std::string text;
        std::string error;
    } bad[] = {
        {"a /dev/x\nb /dev/y extra\n", "tavinctl-test.links:2: expected an optional name"},
        {"# nothing\n", "names no link"},
    };
    for (const auto& c : bad) {
        std::ofstream(file) << c.text;
        const ParseResult refused = Parse({"--links", file, "read"});
        EXPECT_FALSE(refused.ok);
        EXPECT_NE(refused.error.find(c.error), std::string::npos) << refused.error;
    }
    std::filesystem::remove(file);
    EXPECT_NE(Parse({"--links", file, "read"}).error.find("cannot read"), std::string::npos);
    EXPECT_NE(Parse({"-d", "a", "-d", "b", "-p", "2", "-p", "3", "read"})
                  .error.find("repeat it only without --device"),
              std::string::npos);
}

}  // namespace
}  // namespace tavin::ctl
