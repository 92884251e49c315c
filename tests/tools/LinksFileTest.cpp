// Links files and port map entries: every mistake is refused with where it is and why, before any
// camera is touched.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "CtlOptions.h"
#include "LinkList.h"

namespace tavin::ctl {
namespace {

namespace fs = std::filesystem;

class LinksFile : public ::testing::Test {
  protected:
    LinksFile() {
        fs::create_directories(dir_);
        fs::create_symlink("/dev/null", dir_ / "camera");
    }
    ~LinksFile() override { fs::remove_all(dir_); }

    ParseResult ParseFile(const std::string& text) {
        std::ofstream(file_, std::ios::binary) << text;
        return ParseCommandLine(std::vector<std::string>{"--links", file_, "read"});
    }

    const fs::path dir_ = fs::temp_directory_path() / ("links-test-" + std::to_string(::getpid()));
    const std::string file_ = (dir_ / "line3.links").string();
    const std::string link_ = (dir_ / "camera").string();
};

TEST_F(LinksFile, EachMistakeIsNamedWithItsLineAndReason) {
    ::setenv("TAVIN_COM3", "/dev/zero", 1);
    const struct {
        std::string text;
        std::string error;
    } cases[] = {
        {"a /dev/x\nb /dev/y extra\n", ":2: expected an optional name and one link, found 3"},
        {"run/cam1 run/cam2\n", ":1: 'run/cam2' is not an absolute path"},
        {"cam1\n",
         ":1: 'cam1' is neither a device path, COM1 to COM10, library:FILE nor a network address "
         "(a name needs a link after it)"},
        {"# spare\nCOM11\n", ":2: 'COM11': the COM ports are COM1 to COM10"},
        {"cam com0\n", ":1: 'com0': the COM ports are COM1 to COM10"},
        {"/dev/ttyUSB0 /dev/ttyUSB1\n", ":1: '/dev/ttyUSB0' is a link, not a name"},
        {"cam /etc/passwd\n", ":1: '/etc/passwd' is not a serial device"},
        {"cam /tmp\n", ":1: '/tmp' is a directory"},
        {"cam tcp://camera-4:99999\n", ":1: 'tcp://camera-4:99999' has no port from 1 to 65535"},
        {"cam rfc2217://camera-4\n", "is not a whole network address"},
        {"cam library:\n", ":1: library: takes the file name"},
        {"cam /dev/tty\x01S0\n", "holds a control character"},
        {"a /dev/x\nb /dev/y\n\na /dev/z\n", ":4: two links are named a (also " + file_ + ":1)"},
        {"a /dev/null\nb " + link_ + "\n",
         ":2: b reaches the same device as a (" + file_ + ":1): /dev/null"},
        {"a tcp://Camera-4:4001\nb rfc2217://camera-4:4001/\n", ":2: b reaches the same device"},
        {"a /dev/zero\nb COM3\n", ":2: b reaches the same device as a"},
        {"# nothing yet\n\n", "the links file " + file_ + " names no link"},
        {"", "the links file " + file_ + " names no link"},
    };
    for (const auto& c : cases) {
        const ParseResult r = ParseFile(c.text);
        EXPECT_FALSE(r.ok) << c.text;
        EXPECT_NE(r.error.find(c.error), std::string::npos) << c.text << "\ngave: " << r.error;
        if (c.error.starts_with(":")) {
            EXPECT_TRUE(r.error.starts_with(file_ + ":")) << r.error;
        }
    }
    ::unsetenv("TAVIN_COM3");
}

TEST_F(LinksFile, AByteOrderMarkAndWindowsLineEndsAreNoPartOfTheLinks) {
    const ParseResult r = ParseFile(
        "\xEF\xBB\xBF"
        "left /dev/ttyUSB0\r\nright COM2\r\n");
    ASSERT_TRUE(r.ok) << r.error;
    ASSERT_EQ(r.options.links.size(), 2u);
    EXPECT_EQ(r.options.links[0].name, "left");
    EXPECT_EQ(r.options.links[0].device, "/dev/ttyUSB0");
    EXPECT_EQ(r.options.links[1].name, "right");
    EXPECT_EQ(r.options.links[1].port, 2);
}

TEST_F(LinksFile, AFileThatCannotBeReadSaysWhy) {
    const std::string missing = (dir_ / "missing.links").string();
    EXPECT_NE(ParseCommandLine(std::vector<std::string>{"--links", missing, "read"})
                  .error.find("cannot read the links file " + missing + ": No such file"),
              std::string::npos);
    EXPECT_NE(ParseCommandLine(std::vector<std::string>{"--links", dir_.string(), "read"})
                  .error.find(": Is a directory"),
              std::string::npos);
}

TEST_F(LinksFile, OptionsNamingOneDeviceTwiceAreRefusedToo) {
    const ParseResult r =
        ParseCommandLine(std::vector<std::string>{"-d", "/dev/null", "-d", link_, "get", "9"});
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, "--device " + link_ + ": " + link_ +
                           " reaches the same device as /dev/null (--device /dev/null): /dev/null");
}

TEST(PortMapEntries, OnlySerialDevicesAndWholeAddressesAreMapped) {
    const struct {
        std::string entry;
        std::string error;  // "" when accepted
    } cases[] = {
        {"4=/etc/passwd", "--map 4=/etc/passwd: /etc/passwd is not a serial device"},
        {"4=dev/ttyUSB0", "--map 4=dev/ttyUSB0: dev/ttyUSB0 is not an absolute path"},
        {"4=/tmp", "/tmp is a directory"},
        {"4=/dev/ttyNOSUCH", "/dev/ttyNOSUCH does not exist"},
        {"4=tcp://camera-4:99999", "has no port from 1 to 65535"},
        {"4=tcp://camera-4:0", "has no port from 1 to 65535"},
        {"4=tcp://camera-4:telnet", "has no port from 1 to 65535"},
        {"4=rfc2217://camera-4", "is not a whole network address"},
        {"11=/dev/null", "--map takes N=DEVICE"},
        {"4=/dev/null", ""},
        {"4=/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10K3XYZ-if00-port0", ""},
        {"4=rfc2217://[fe80::1]:2217", ""},
    };
    for (const auto& c : cases) {
        const ParseResult r = ParseCommandLine(std::vector<std::string>{"ports", "--map", c.entry});
        EXPECT_EQ(r.ok, c.error.empty()) << c.entry << ": " << r.error;
        EXPECT_NE(r.error.find(c.error), std::string::npos) << c.entry << " gave: " << r.error;
    }
}

TEST(PortMapEntries, ProbeOperandsAreCheckedAsPorts) {
    EXPECT_TRUE(ParseCommandLine(std::vector<std::string>{"ports", "--probe", "COM2", "/dev/null",
                                                          "tcp://camera-4:4001"})
                    .ok);
    const struct {
        std::vector<std::string> args;
        std::string error;
    } cases[] = {
        {{"ports", "COM2"}, "ports takes ports to ask only with --probe"},
        {{"ports", "--probe", "library:x.so"}, "a Camera Link library is not a serial port"},
        {{"ports", "--probe", "COM12"}, "the COM ports are COM1 to COM10"},
        {{"ports", "--system"}, "--system is for ports --map and --unmap only"},
    };
    for (const auto& c : cases) {
        EXPECT_NE(ParseCommandLine(c.args).error.find(c.error), std::string::npos)
            << ParseCommandLine(c.args).error;
    }
}

}  // namespace
}  // namespace tavin::ctl
