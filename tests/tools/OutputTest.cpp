#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "CameraSession.h"
#include "ConsoleUserInterface.h"
#include "DataFileIo.h"
#include "Report.h"

namespace tavin::ctl {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

TEST(ItemTable, OneAlignedLinePerItemBelowAHeader) {
    const ItemRow rows[] = {RowFromCamera(9, 25), RowFromCamera(36, 0x114),
                            RowFromCamera(16, 0xE4E4), RowFromCamera(14, 5)};
    std::ostringstream out;
    PrintItemTable(out, rows);
    const std::vector<std::string> lines = Lines(out.str());
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], "Item  Label                      Program    Camera");
    EXPECT_EQ(lines[1], "   9  GAIN (FINE)                     25      0x19");
    EXPECT_EQ(lines[2], "  36  C-Y Matrix (Gb-y, r-g(+))      235     0x114");
    EXPECT_EQ(lines[3], "  16  PARTIALSCAN ON/OFF            \"~~\"    0xE4E4");
    EXPECT_EQ(lines[4], "  14                                   5       0x5");
}

TEST(ItemTable, KatakanaTakeOneColumnEach) {
    const ItemRow rows[] = {{.index = 16, .program = 0xB1B2, .camera = 0x8889}};
    std::ostringstream out;
    PrintItemTable(out, rows);
    EXPECT_EQ(Lines(out.str())[1],
              "  16  PARTIALSCAN ON/OFF            \"\xEF\xBD\xB1\xEF\xBD\xB2\"    0x8889");
}

TEST(ItemJson, CarriesBothFormsAndTheTextOfCharacterItems) {
    const ItemRow rows[] = {RowFromCamera(9, 30), RowFromCamera(16, 0x0A0B)};
    std::ostringstream out;
    PrintItemJson(out, rows);
    EXPECT_EQ(out.str(),
              "{\"items\": [\n"
              "  {\"index\": 9, \"label\": \"GAIN (FINE)\", \"value\": 30, \"camera\": 30},\n"
              "  {\"index\": 16, \"label\": \"PARTIALSCAN ON/OFF\", \"value\": 16706, "
              "\"camera\": 2571, \"text\": \"AB\"}\n"
              "]}\n");
}

TEST(JsonString, EscapesWhatJsonCannotCarryAsIs) {
    EXPECT_EQ(JsonString("plain"), "\"plain\"");
    EXPECT_EQ(JsonString("a\"b\\c"), "\"a\\\"b\\\\c\"");
    EXPECT_EQ(JsonString("line\nbreak\x01"), "\"line\\u000Abreak\\u0001\"");
    EXPECT_EQ(JsonString("\xEF\xBD\xB1"), "\"\xEF\xBD\xB1\"");
    EXPECT_EQ(JsonString("bad\xFF"), "\"bad\\uFFFD\"");
    EXPECT_EQ(JsonString("cut\xEF\xBD"), "\"cut\\uFFFD\\uFFFD\"");
}

TEST(DiffOutput, EmptyDifferenceIsIdentical) {
    std::ostringstream out;
    PrintDiffJson(out, "a.tvn", "b.tvn", {});
    EXPECT_EQ(out.str(),
              "{\"a\": \"a.tvn\", \"b\": \"b.tvn\", \"identical\": true, \"differences\": []}\n");
}

class TempDir : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("tavinctl-output-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string Path(const std::string& name) const { return (dir_ / name).string(); }

    void Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(Path(name), std::ios::binary) << bytes;
    }

    std::string Read(const std::string& name) const {
        std::ifstream in(Path(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    fs::path dir_;
};

using DataFileIoTest = TempDir;

TEST_F(DataFileIoTest, AFileOfOursGivesItsValues) {
    DataFileValues values{};
    values[9] = 42;
    values[45] = 7;
    const DataFileBytes bytes = EncodeDataFile(values);
    Write("good.tvn", std::string(bytes.begin(), bytes.end()));
    const FileReadResult r = ReadDataFileAt(Path("good.tvn"));
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.values, values);
}

TEST_F(DataFileIoTest, EverythingElseIsAnErrorInTheProgramsWords) {
    const DataFileBytes good = EncodeDataFile({});
    std::string wrongHeader(good.begin(), good.end());
    wrongHeader[23] = '1';
    Write("other.tvn", wrongHeader);
    Write("short.tvn", std::string(good.begin(), good.end() - 1));
    Write("empty.tvn", "");
    fs::create_directory(Path("folder.tvn"));

    const struct {
        std::string path;
        std::string error;
    } cases[] = {
        {Path("other.tvn"),
         "File type mismatch.\nFile \"other.tvn\" does not contain data for MORVA-7E "
         "apprication."},
        {Path("short.tvn"), "Unexpected file format. (" + Path("short.tvn") + ")"},
        {Path("empty.tvn"), Path("empty.tvn") + " is empty: it holds no settings"},
        {Path("missing.tvn"), Path("missing.tvn") + " was not found."},
        {Path("folder.tvn"), "An unexpected error occurred while reading " + Path("folder.tvn")},
    };
    for (const auto& c : cases) {
        const FileReadResult r = ReadDataFileAt(c.path);
        EXPECT_FALSE(r.ok) << c.path;
        EXPECT_EQ(r.error.substr(0, c.error.size()), c.error);
    }
}

TEST_F(DataFileIoTest, SavingReplacesTheFileWholeAndKeepsItsPermissions) {
    Write("now.tvn", "old contents");
    ASSERT_EQ(::chmod(Path("now.tvn").c_str(), 0640), 0);
    const DataFileBytes bytes = EncodeDataFile({});
    EXPECT_EQ(WriteFileAtomically(Path("now.tvn"), bytes), "");
    EXPECT_EQ(Read("now.tvn"), std::string(bytes.begin(), bytes.end()));
    struct stat info {};
    ASSERT_EQ(::stat(Path("now.tvn").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    // Nothing else is left beside it.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

TEST_F(DataFileIoTest, AFailedSaveLeavesNoFileAndSaysWhy) {
    const DataFileBytes bytes = EncodeDataFile({});
    const std::string error = WriteFileAtomically(Path("no/such/dir/now.tvn"), bytes);
    EXPECT_NE(error.find("An unexpected error occurred while writing"), std::string::npos) << error;
    // A directory in the way of the name: the rename fails and the scratch file goes.
    fs::create_directory(Path("taken.tvn"));
    fs::create_directory(Path("taken.tvn/inside"));
    EXPECT_NE(WriteFileAtomically(Path("taken.tvn"), bytes), "");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

TEST(Progress, OverwritesOneLineAndClearsItForATerminalOnly) {
    std::ostringstream shown;
    {
        Progress progress(shown, true, "Reading");
        progress.Step(1, 45, 9);
        progress.Step(2, 45, 14);
    }
    EXPECT_EQ(shown.str(), "\rReading 1/45 9 GAIN (FINE)\rReading 2/45 14" + std::string(11, ' ') +
                               "\r" + std::string(15, ' ') + "\r");

    std::ostringstream hidden;
    {
        Progress progress(hidden, false, "Reading");
        progress.Step(1, 45, 9);
    }
    EXPECT_EQ(hidden.str(), "");
}

TEST(ConsoleUserInterface, MessagesGoToTheStreamAndThereIsNoWindow) {
    std::ostringstream err;
    ConsoleUserInterface console(err);
    console.ShowMessage("Bord Open Error", "Error", MessageIcon::Error);
    console.SetStatusText("Sending FD data to camera...");
    EXPECT_EQ(err.str(), "Bord Open Error\n");
    EXPECT_FALSE(console.HasMainWindow());
}

}  // namespace
}  // namespace tavin::ctl
