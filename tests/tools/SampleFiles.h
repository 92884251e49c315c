#pragma once

#include <QJsonDocument>
#include <filesystem>
#include <string>
#include <vector>

#include "DataFileCodec.h"

// Settings and scratch files shared by the end-to-end tests of tavinctl.

namespace tavin::ctl::testing {

// Camera-form values unlike the factory's in every kind of item (plain, character pair,
// sign-magnitude, split), each in the form the camera sends back, so a file written from them
// reads back byte for byte.
DataFileValues SampleValues();

std::string ReadBytes(const std::filesystem::path& path);
void WriteBytes(const std::filesystem::path& path, const std::string& bytes);
void WriteDataFile(const std::filesystem::path& path, const DataFileValues& values);

// The lines of `text`, without their line ends.
std::vector<std::string> Lines(const std::string& text);

// Parses `text`; a parse error fails the calling test.
QJsonDocument ParseJson(const std::string& text);

// A fresh directory for one test, removed afterwards.
class ScratchDir {
  public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    std::string operator/(const std::string& name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
};

}  // namespace tavin::ctl::testing
