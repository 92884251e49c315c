// dump, diff, --version and --help of the built program: no camera involved.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonObject>

#include "CameraItemTable.h"
#include "ProgramRun.h"
#include "SampleFiles.h"

namespace tavin::ctl::testing {
namespace {

TEST(FileCommands, DumpPrintsAllFortySixValuesOfAFile) {
    ScratchDir dir;
    const DataFileValues sample = SampleValues();
    WriteDataFile(dir / "golden.tvn", sample);

    const ProgramResult table = RunProgram(TAVINCTL_PATH, {"dump", dir / "golden.tvn"});
    ASSERT_EQ(table.exitStatus, 0) << table.err;
    EXPECT_EQ(std::count(table.out.begin(), table.out.end(), '\n'), 47);
    EXPECT_NE(table.out.find("  36  C-Y Matrix (Gb-y, r-g(+))      260       0x5\n"),
              std::string::npos)
        << table.out;
    EXPECT_NE(table.out.find("  45  (Reserved)"), std::string::npos);

    const ProgramResult json = RunProgram(TAVINCTL_PATH, {"dump", "--json", dir / "golden.tvn"});
    const QJsonArray items = ParseJson(json.out).object()["items"].toArray();
    ASSERT_EQ(items.size(), kCameraItemCount);
    for (int index = 0; index < kCameraItemCount; ++index) {
        EXPECT_EQ(items[index].toObject()["camera"].toInt(), sample[index]) << index;
    }
    EXPECT_EQ(items[40].toObject()["value"].toInt(), 385);
}

TEST(FileCommands, DiffListsTheItemsThatDifferAndSaysSoInItsExitStatus) {
    ScratchDir dir;
    DataFileValues golden = SampleValues();
    WriteDataFile(dir / "golden.tvn", golden);
    WriteDataFile(dir / "same.tvn", golden);
    DataFileValues now = golden;
    now[9] = 25;
    now[36] = 0x100;  // negative zero: the camera gets 0x000 from either, so no difference
    golden[36] = 0x000;
    WriteDataFile(dir / "golden.tvn", golden);
    now[17] = TextPairToCamera(0x5A5A);
    WriteDataFile(dir / "now.tvn", now);

    const ProgramResult same =
        RunProgram(TAVINCTL_PATH, {"diff", dir / "golden.tvn", dir / "golden.tvn"});
    EXPECT_EQ(same.exitStatus, 0);
    EXPECT_EQ(same.out, "");

    const ProgramResult differ =
        RunProgram(TAVINCTL_PATH, {"diff", dir / "now.tvn", dir / "golden.tvn"});
    EXPECT_EQ(differ.exitStatus, 1) << differ.err;
    EXPECT_EQ(differ.out,
              "A: " + (dir / "now.tvn") + "\nB: " + (dir / "golden.tvn") +
                  "\n"
                  "Item  Label                            A  (camera)         B  (camera)\n"
                  "   9  GAIN (FINE)                     25      0x19        37      0x25\n"
                  "  17  PARTIALSCAN ON/OFF            \"ZZ\"    0x2323      \"~~\"    0xE4E4\n");

    const ProgramResult json =
        RunProgram(TAVINCTL_PATH, {"diff", "--json", dir / "now.tvn", dir / "golden.tvn"});
    EXPECT_EQ(json.exitStatus, 1);
    const QJsonObject result = ParseJson(json.out).object();
    EXPECT_FALSE(result["identical"].toBool());
    const QJsonArray differences = result["differences"].toArray();
    ASSERT_EQ(differences.size(), 2);
    EXPECT_EQ(differences[0].toObject()["index"].toInt(), 9);
    EXPECT_EQ(differences[0].toObject()["a"].toObject()["value"].toInt(), 25);
    EXPECT_EQ(differences[0].toObject()["b"].toObject()["value"].toInt(), 37);
    EXPECT_EQ(differences[1].toObject()["a"].toObject()["text"].toString(), "ZZ");
}

TEST(FileCommands, FilesThatCannotBeComparedAreNamedAndExitWithTwo) {
    ScratchDir dir;
    WriteDataFile(dir / "golden.tvn", SampleValues());
    const DataFileBytes bytes = EncodeDataFile(SampleValues());
    WriteBytes(dir / "cut.tvn", std::string(bytes.begin(), bytes.begin() + 100));

    const ProgramResult run =
        RunProgram(TAVINCTL_PATH, {"diff", dir / "cut.tvn", dir / "missing.tvn"});
    EXPECT_EQ(run.exitStatus, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "Unexpected file format. (" + (dir / "cut.tvn") + ")\n" +
                           (dir / "missing.tvn") + " was not found.\n");

    const ProgramResult dump = RunProgram(TAVINCTL_PATH, {"dump", dir / "cut.tvn"});
    EXPECT_EQ(dump.exitStatus, 1);
    EXPECT_EQ(dump.out, "");
}

TEST(FileCommands, VersionAndHelp) {
    const ProgramResult version = RunProgram(TAVINCTL_PATH, {"--version"});
    EXPECT_EQ(version.exitStatus, 0);
    EXPECT_EQ(version.out, "tavinctl " TAVIN_VERSION "\n");
    const ProgramResult help = RunProgram(TAVINCTL_PATH, {"--help"});
    EXPECT_EQ(help.exitStatus, 0);
    EXPECT_EQ(help.out.rfind("Usage: tavinctl", 0), 0u);
}

}  // namespace
}  // namespace tavin::ctl::testing
