// tavinctl against the simulated camera on a pseudo-terminal, through the real serial code.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonObject>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>

#include "CTAVINDoc.h"
#include "CameraDataSet.h"
#include "LiveCameraAccess.h"
#include "ProgramRun.h"
#include "PtyCameraServer.h"
#include "SampleFiles.h"

namespace tavin::ctl::testing {
namespace {

using namespace std::chrono_literals;

class PtyCommands : public ::testing::Test {
  protected:
    void StartCamera(const DataFileValues& values, sim::Fault fault = {}) {
        sim::ServerOptions options;
        options.settings.Load(values);
        options.fault = fault;
        options.monitor = [this](const std::string& line) {
            std::lock_guard lock(mutex_);
            monitor_.push_back(line);
        };
        camera_ = std::make_unique<sim::PtyCameraServer>(std::move(options));
    }

    ProgramResult Ctl(std::vector<std::string> args) {
        args.insert(args.end(), {"--device", camera_->DevicePath()});
        return RunProgram(TAVINCTL_PATH, args);
    }

    // What the camera holds now for item `index`, in camera form.
    int32_t CameraValue(int index) const {
        const CameraItemDef& def = GetItemDef(index);
        return camera_->Value(sim::GroupOfCommand(def.writeCommand), def.itemNumber);
    }

    int MonitorLinesWith(const std::string& text) {
        std::lock_guard lock(mutex_);
        return static_cast<int>(std::count_if(monitor_.begin(), monitor_.end(), [&](auto& line) {
            return line.find(text) != std::string::npos;
        }));
    }

    ScratchDir dir_;
    std::mutex mutex_;
    std::vector<std::string> monitor_;
    // Last, so that the camera's thread stops before the log it writes to goes away.
    std::unique_ptr<sim::PtyCameraServer> camera_;
};

TEST_F(PtyCommands, ReadSavesTheBytesTheProgramsDocumentSaves) {
    StartCamera(SampleValues());
    const ProgramResult run = Ctl({"read", "-o", dir_ / "ctl.tvn"});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.out, "");

    // The same camera read and saved by the programs' own document.
    ::setenv("TAVIN_COM1", camera_->DevicePath().c_str(), 1);
    CameraDataSet data;
    ASSERT_EQ(data.OpenPort(1, 19200), 0);
    ASSERT_EQ(data.ReadAllItems(), 1) << data.GetStatusText();
    data.Close();
    LiveCameraAccess access(data);
    CTAVINDoc document(access);
    ASSERT_TRUE(document.OnSaveDocument(QString::fromStdString(dir_ / "gui.tvn")));

    const std::string saved = ReadBytes(dir_ / "ctl.tvn");
    EXPECT_EQ(saved.size(), kDataFileSize);
    EXPECT_EQ(saved, ReadBytes(dir_ / "gui.tvn"));
    const DataFileBytes expected = EncodeDataFile(SampleValues());
    EXPECT_EQ(saved, std::string(expected.begin(), expected.end()));
}

TEST_F(PtyCommands, ReadPrintsItemsZeroToFortyFourAsTableOrJson) {
    const DataFileValues sample = SampleValues();
    StartCamera(sample);

    const ProgramResult table = Ctl({"read"});
    ASSERT_EQ(table.exitStatus, 0) << table.err;
    EXPECT_EQ(std::count(table.out.begin(), table.out.end(), '\n'), 46);  // header and 45 items
    EXPECT_NE(table.out.find("   9  GAIN (FINE)                     37      0x25\n"),
              std::string::npos)
        << table.out;
    EXPECT_NE(table.out.find("  27  PARTIALSCAN ON/OFF            \"\xEF\xBD\xB1\xEF\xBE\x9F\""),
              std::string::npos);
    EXPECT_EQ(table.err, "");  // no progress lines unless standard error is a terminal

    const ProgramResult json = Ctl({"read", "--json"});
    ASSERT_EQ(json.exitStatus, 0) << json.err;
    const QJsonArray items = ParseJson(json.out).object()["items"].toArray();
    ASSERT_EQ(items.size(), 45);
    for (int index = 0; index < 45; ++index) {
        const QJsonObject item = items[index].toObject();
        EXPECT_EQ(item["index"].toInt(), index);
        EXPECT_EQ(item["label"].toString().toStdString(), GetLabel(index));
        EXPECT_EQ(item["camera"].toInt(), sample[index]) << index;
        EXPECT_EQ(item["value"].toInt(), FromCamera(index, sample[index])) << index;
    }
    EXPECT_EQ(items[16].toObject()["text"].toString(), "AB");
}

TEST_F(PtyCommands, WriteSendsTheFilesFortyFiveItems) {
    StartCamera(DataFileValues{});  // a camera holding zeros everywhere
    const DataFileValues sample = SampleValues();
    WriteDataFile(dir_ / "golden.tvn", sample);

    const ProgramResult run = Ctl({"write", dir_ / "golden.tvn"});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(MonitorLinesWith("host   write"), 45);
    EXPECT_EQ(MonitorLinesWith("host   read"), 0);
    for (int index = 0; index < 45; ++index) {
        EXPECT_EQ(CameraValue(index), sample[index]) << index;
    }
}

TEST_F(PtyCommands, WriteOfAFileThatIsNotOursTouchesNothing) {
    StartCamera(SampleValues());
    WriteBytes(dir_ / "notes.tvn", "\x17TAVINX Data Version0.99 and then some more text");
    const ProgramResult run = Ctl({"write", dir_ / "notes.tvn"});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.err,
              "File type mismatch.\nFile \"notes.tvn\" does not contain data for MORVA-7E "
              "apprication.\n");
    EXPECT_EQ(camera_->BytesFromHost(), 0u);
}

TEST_F(PtyCommands, VerifiedWritesReadEveryItemBackAndPassWhenItTook) {
    StartCamera(DataFileValues{});
    WriteDataFile(dir_ / "golden.tvn", SampleValues());
    const ProgramResult write = Ctl({"write", "--verify", dir_ / "golden.tvn"});
    ASSERT_EQ(write.exitStatus, 0) << write.err;
    EXPECT_EQ(write.out + write.err, "");
    EXPECT_EQ(MonitorLinesWith("host   write"), 45);
    EXPECT_EQ(MonitorLinesWith("host   read"), 45);

    const ProgramResult set = Ctl({"set", "--verify", "9=30", "16=ab", "9=31", "--json"});
    ASSERT_EQ(set.exitStatus, 0) << set.err;
    EXPECT_TRUE(ParseJson(set.out).object()["identical"].toBool()) << set.out;
    EXPECT_EQ(MonitorLinesWith("host   read"), 45 + 2);  // item 9 is read back once
}

TEST_F(PtyCommands, AVerifiedWriteNamesEveryItemTheCameraDidNotKeep) {
    StartCamera(DataFileValues{}, {.kind = sim::FaultKind::ForgetWrites});
    WriteDataFile(dir_ / "golden.tvn", SampleValues());
    const ProgramResult write = Ctl({"write", dir_ / "golden.tvn", "--verify"});
    EXPECT_EQ(write.exitStatus, 1);
    EXPECT_NE(
        write.out.find("   9  GAIN (FINE)                     37      0x25         0       0x0"),
        std::string::npos)
        << write.out;
    EXPECT_NE(write.err.find("items read back differ from what was written"), std::string::npos);

    const ProgramResult set = Ctl({"set", "--verify", "9=30", "10=0", "--json"});
    EXPECT_EQ(set.exitStatus, 1);
    const QJsonArray differences = ParseJson(set.out).object()["differences"].toArray();
    ASSERT_EQ(differences.size(), 1);  // item 10 holds the 0 it was sent
    EXPECT_EQ(differences[0].toObject()["a"].toObject()["value"].toInt(), 30);
    EXPECT_EQ(differences[0].toObject()["b"].toObject()["value"].toInt(), 0);
    EXPECT_EQ(set.err, "tavinctl: 1 of 2 items read back differ from what was written\n");
}

// Several cameras in one run: each link in its own process, results as each finishes.
class PtyLinks : public PtyCommands {
  protected:
    std::string StartMore(sim::Fault fault = {}, int baud = 0) {
        sim::ServerOptions options;
        options.fault = fault;
        options.pacing.baud = baud;
        more_.push_back(std::make_unique<sim::PtyCameraServer>(std::move(options)));
        return more_.back()->DevicePath();
    }
    std::vector<std::unique_ptr<sim::PtyCameraServer>> more_;
};

TEST_F(PtyLinks, ASilentCameraCostsItsOwnTimeOutsAndDelaysNoOther) {
    WriteDataFile(dir_ / "golden.tvn", SampleValues());
    // Paced at 19200 baud a verified write takes about 1.4 s: one after the other the three
    // would take over 6.5 s.
    const std::vector<std::string> devices{StartMore({}, 19200), StartMore({}, 19200),
                                           StartMore({.kind = sim::FaultKind::Silent})};
    const ProgramResult run =
        RunProgram(TAVINCTL_PATH, {"--device", devices[0], "--device", devices[1], "--device",
                                   devices[2], "write", "--verify", dir_ / "golden.tvn"});
    EXPECT_EQ(run.exitStatus, 1) << run.out << run.err;
    EXPECT_GE(run.elapsed, 3900ms);
    EXPECT_LT(run.elapsed, 5500ms);
    for (const std::string& device : {devices[0], devices[1]}) {
        EXPECT_NE(run.out.find(device + "  ok     "), std::string::npos) << run.out;
    }
    // Its own time-outs, about 4 s, whatever the others took.
    EXPECT_NE(run.out.find(devices[2] + "  failed   4."), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("    ERROR - Communication time out detected."), std::string::npos);
    EXPECT_NE(run.out.find("\n3 links: 2 ok, 1 not ok: " + devices[2] + " (4."), std::string::npos)
        << run.out;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(more_[0]->Value(sim::CommandGroup::First, 0x18), 37);  // gain (fine)
    EXPECT_EQ(more_[1]->Value(sim::CommandGroup::First, 0x18), 37);
}

TEST_F(PtyLinks, ALinksFileNamesTheLinksAndTheirDataFiles) {
    WriteDataFile(dir_ / "golden.tvn", SampleValues());
    const std::string left = StartMore();
    const std::string right = StartMore();
    WriteBytes(dir_ / "line3.links",
               "# line 3\nline3-left  " + left + "\n\n  line3-right " + right + "  # spare\n");
    const std::string links = dir_ / "line3.links";
    const ProgramResult notADirectory =
        RunProgram(TAVINCTL_PATH, {"--links", links, "read", "-o", dir_ / "now"});
    EXPECT_EQ(notADirectory.exitStatus, 2);
    EXPECT_NE(notADirectory.err.find("-o takes a directory"), std::string::npos);
    std::filesystem::create_directory(dir_ / "now");

    const ProgramResult read =
        RunProgram(TAVINCTL_PATH, {"--links", links, "read", "-o", dir_ / "now"});
    ASSERT_EQ(read.exitStatus, 0) << read.out << read.err;
    EXPECT_EQ(ReadBytes(dir_ / "now/line3-left.tvn").size(), kDataFileSize);
    EXPECT_EQ(ReadBytes(dir_ / "now/line3-right.tvn").size(), kDataFileSize);

    const ProgramResult write =
        RunProgram(TAVINCTL_PATH, {"--links", links, "write", dir_ / "golden.tvn"});
    ASSERT_EQ(write.exitStatus, 0) << write.out << write.err;
    const ProgramResult set =
        RunProgram(TAVINCTL_PATH, {"--links", links, "set", "9=3", "--verify"});
    ASSERT_EQ(set.exitStatus, 0) << set.out << set.err;
    EXPECT_NE(set.out.find("2 links: 2 ok, 0 not ok"), std::string::npos) << set.out;

    const ProgramResult diff =
        RunProgram(TAVINCTL_PATH, {"--links", links, "--json", "diff", dir_ / "golden.tvn"});
    EXPECT_EQ(diff.exitStatus, 1);
    // One object per link, then the summary.
    std::vector<QJsonObject> objects;
    for (size_t at = 0; at < diff.out.size();) {
        const size_t end = diff.out.find("}\n{", at);
        const size_t stop = end == std::string::npos ? diff.out.size() : end + 2;
        objects.push_back(ParseJson(diff.out.substr(at, stop - at)).object());
        at = stop;
    }
    ASSERT_EQ(objects.size(), 3u) << diff.out;
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(objects[i]["result"].toString(), "differs");
        const QJsonArray differences = objects[i]["output"].toObject()["differences"].toArray();
        ASSERT_EQ(differences.size(), 1);
        EXPECT_EQ(differences[0].toObject()["b"].toObject()["value"].toInt(), 3);
    }
    EXPECT_EQ(objects[2]["ok"].toInt(), 0);
    EXPECT_EQ(objects[2]["failed"].toArray().size(), 2);
}

TEST_F(PtyLinks, ACameraThatCannotBeReadFailsADiffAndNeverDiffers) {
    WriteDataFile(dir_ / "golden.tvn", SampleValues());
    const std::string reachable = StartMore();  // factory settings: it differs
    const std::string gone = dir_ / "unplugged";
    const ProgramResult alone =
        RunProgram(TAVINCTL_PATH, {"-d", gone, "diff", dir_ / "golden.tvn"});
    EXPECT_EQ(alone.exitStatus, 2) << alone.err;
    EXPECT_EQ(alone.out, "");

    const ProgramResult line = RunProgram(
        TAVINCTL_PATH, {"-d", reachable, "-d", gone, "--json", "diff", dir_ / "golden.tvn"});
    EXPECT_EQ(line.exitStatus, 2);
    // JSON Lines: each line one whole object, the summary last.
    const std::vector<std::string> lines = Lines(line.out);
    ASSERT_EQ(lines.size(), 3u) << line.out;
    std::map<std::string, QJsonObject> links;
    for (size_t i = 0; i < 2; ++i) {
        const QJsonObject object = ParseJson(lines[i]).object();
        links[object["link"].toString().toStdString()] = object;
    }
    EXPECT_EQ(links[reachable]["result"].toString(), "differs");
    EXPECT_FALSE(links[reachable]["output"].toObject()["differences"].toArray().isEmpty());
    EXPECT_EQ(links[gone]["result"].toString(), "failed");
    EXPECT_EQ(links[gone]["exit"].toInt(), 2);
    EXPECT_TRUE(links[gone]["output"].isNull());
    EXPECT_TRUE(links[gone]["errors"].toString().startsWith("ERROR - Can not open"));
    const QJsonObject summary = ParseJson(lines[2]).object();
    EXPECT_EQ(summary["failed"].toArray().size(), 2);
    EXPECT_EQ(summary["exit"].toInt(), 2);
}

TEST_F(PtyLinks, WithoutAHomeALinksFilesComPortsComeFromTheSystemMap) {
    // As the restore unit runs: a made-up user whose home is "/".
    const std::string left = StartMore();
    const std::string right = StartMore();
    const Environment unit = {{"HOME", "/"},
                              {"XDG_CONFIG_HOME", ""},
                              {"TAVIN_SYSTEM_PORT_MAP", dir_ / "ports.conf"},
                              {"TAVIN_COM4", ""}};
    const ProgramResult mapped =
        RunProgram(TAVINCTL_PATH, {"ports", "--system", "--map", "4=" + left}, unit);
    ASSERT_EQ(mapped.exitStatus, 0) << mapped.err;
    EXPECT_NE(mapped.out.find("COM4   " + left + "  (system port map)"), std::string::npos)
        << mapped.out;
    const ProgramResult homeless =
        RunProgram(TAVINCTL_PATH, {"ports", "--map", "5=" + right}, unit);
    EXPECT_EQ(homeless.exitStatus, 1);
    EXPECT_NE(homeless.err.find("no home folder"), std::string::npos) << homeless.err;

    WriteBytes(dir_ / "line.links", "left COM4\nright " + right + "\n");
    const ProgramResult run =
        RunProgram(TAVINCTL_PATH, {"--links", dir_ / "line.links", "get", "9"}, unit);
    EXPECT_EQ(run.exitStatus, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("left   ok "), std::string::npos) << run.out;
}

TEST_F(PtyLinks, EachLinkKeepsItsOwnPortMappingAndTrace) {
    // Two COM ports, each mapped by the environment, each traced to a file of its own.
    const std::string one = StartMore();
    const std::string two = StartMore({.kind = sim::FaultKind::EnqNak});
    const std::string trace = dir_ / "trace";
    const ProgramResult run =
        RunProgram(TAVINCTL_PATH, {"-p", "1", "-p", "2", "get", "9"},
                   {{"TAVIN_COM1", one}, {"TAVIN_COM2", two}, {"TAVIN_TRACE", trace}});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_NE(run.out.find("COM1  ok "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\n       9  GAIN (FINE)  "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("COM2  failed "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("    ERROR - Unexpected character received from camera unit."),
              std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(trace));
    const std::string traced = ReadBytes(trace + ".COM1");
    EXPECT_NE(traced.find("bytes=05"), std::string::npos) << traced;            // the ENQ
    EXPECT_NE(ReadBytes(trace + ".COM2").find("bytes=15"), std::string::npos);  // its NAK
}

TEST_F(PtyCommands, GetAndSetByIndexAndByLabel) {
    StartCamera(SampleValues());
    const ProgramResult set = Ctl({"set", "gain (fine)=30", "11=3", "16=ab", "BLACK LEVEL=0x10"});
    ASSERT_EQ(set.exitStatus, 0) << set.err;
    EXPECT_EQ(CameraValue(9), 30);
    EXPECT_EQ(CameraValue(11), 3);
    EXPECT_EQ(CameraValue(16), 0x0A0B);  // the camera's codes of A and B
    EXPECT_EQ(CameraValue(10), 16);

    const ProgramResult get = Ctl({"get", "Gain (Rough)", "9", "16", "--json"});
    ASSERT_EQ(get.exitStatus, 0) << get.err;
    const QJsonArray items = ParseJson(get.out).object()["items"].toArray();
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items[0].toObject()["index"].toInt(), 11);
    EXPECT_EQ(items[0].toObject()["value"].toInt(), 3);
    EXPECT_EQ(items[1].toObject()["value"].toInt(), 30);
    EXPECT_EQ(items[2].toObject()["text"].toString(), "AB");  // read back in capitals
}

TEST_F(PtyCommands, AValueOutsideTheRangeIsRefusedUnlessForced) {
    StartCamera(SampleValues());
    const ProgramResult refused = Ctl({"set", "10=20", "9=51"});
    EXPECT_EQ(refused.exitStatus, 2);
    EXPECT_EQ(refused.err,
              "tavinctl: 51 is outside the range of item 9 GAIN (FINE) (0 to 50); --force sends "
              "it anyway\n");
    EXPECT_EQ(camera_->BytesFromHost(), 0u);  // not even the valid first assignment

    const ProgramResult forced = Ctl({"set", "9=51", "--force"});
    EXPECT_EQ(forced.exitStatus, 0) << forced.err;
    EXPECT_EQ(CameraValue(9), 51);
}

TEST_F(PtyCommands, ASilentCameraEndsWithTheTimeOutTextWhenTheRetriesRunOut) {
    StartCamera(SampleValues(), {.kind = sim::FaultKind::Silent});
    const ProgramResult run = Ctl({"read", "-o", dir_ / "now.tvn"});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.err.rfind("ERROR - Communication time out detected.\nCheck the connection.\n", 0),
              0u)
        << run.err;
    // Four ENQs, each given a second for its ACK.
    EXPECT_GE(run.elapsed, 3900ms);
    EXPECT_LT(run.elapsed, 6000ms);
    EXPECT_FALSE(std::filesystem::exists(dir_ / "now.tvn"));  // no file of default values
}

TEST_F(PtyCommands, ARefusingCameraGivesItsOwnStatusText) {
    StartCamera(SampleValues(), {.kind = sim::FaultKind::EnqNak});
    const ProgramResult run = Ctl({"get", "9"});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.err,
              "ERROR - Unexpected character received from camera unit.\n"
              "tavinctl: while reading item 9 GAIN (FINE)\n");
    EXPECT_EQ(run.out, "");
}

TEST_F(PtyCommands, SendAndQueryAsTheManualCommand) {
    StartCamera(SampleValues());
    const ProgramResult query = Ctl({"query", "01ff0318000000"});
    ASSERT_EQ(query.exitStatus, 0) << query.err;
    EXPECT_EQ(query.out, "250000\n");  // 37 in the first byte

    const ProgramResult send = Ctl({"send", "01ff01181e0000"});
    ASSERT_EQ(send.exitStatus, 0) << send.err;
    EXPECT_EQ(CameraValue(9), 30);

    const ProgramResult json = Ctl({"query", "01FF0318000000", "--json"});
    const QJsonObject reply = ParseJson(json.out).object();
    EXPECT_EQ(reply["text"].toString(), "01FF0318000000");
    EXPECT_EQ(reply["reply"].toString(), "1E0000");

    const ProgramResult tooLong = Ctl({"send", "01FF0118000000000000000"});
    EXPECT_EQ(tooLong.exitStatus, 1);
    EXPECT_EQ(tooLong.err.rfind("ERROR - Illegal message size of transmission data. \n", 0), 0u)
        << tooLong.err;
}

}  // namespace
}  // namespace tavin::ctl::testing
