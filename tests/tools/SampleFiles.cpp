#include "SampleFiles.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QJsonParseError>
#include <fstream>
#include <sstream>

#include "CameraItemTable.h"

namespace tavin::ctl::testing {

namespace fs = std::filesystem;

DataFileValues SampleValues() {
    DataFileValues values{};
    for (int index = 0; index < kCameraItemCount; ++index) {
        values[index] = GetDefault(index, false);
    }
    values[2] = 3;
    values[9] = 37;
    values[16] = TextPairToCamera(0x4142);  // "AB"
    values[27] = TextPairToCamera(0xB1DF);  // katakana a and the semi-voiced mark
    values[32] = 200;
    values[36] = 0x005;  // +5 in sign-magnitude
    values[39] = 0x17F;  // -127
    values[40] = 0x381;  // split form of 385
    values[44] = 1000;
    return values;
}

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

void WriteDataFile(const fs::path& path, const DataFileValues& values) {
    const DataFileBytes bytes = EncodeDataFile(values);
    WriteBytes(path, std::string(bytes.begin(), bytes.end()));
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

QJsonDocument ParseJson(const std::string& text) {
    QJsonParseError error{};
    QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(text), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError)
        << error.errorString().toStdString() << " at " << error.offset << " in:\n"
        << text;
    return document;
}

ScratchDir::ScratchDir() {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ = fs::temp_directory_path() / ("tavinctl-" + std::to_string(::getpid()) + "-" +
                                         test->test_suite_name() + "-" + test->name());
    fs::remove_all(path_);
    fs::create_directories(path_);
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

}  // namespace tavin::ctl::testing
