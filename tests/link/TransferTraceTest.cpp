#include "TransferTrace.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "FakeSerialDevice.h"

namespace tavin {
namespace {

using Direction = TransferTrace::Direction;
using Path = TransferTrace::Path;

TEST(TransferTraceTest, LineCarriesTimeDirectionPathCountsBytesAndFailure) {
    const uint8_t bytes[] = {0x02, 0x30, 0xFA};
    EXPECT_EQ(TransferTrace::FormatLine(1234, Direction::kWrite, Path::kPort, 3, bytes, 3, 0),
              "1234 write port requested=3 moved=3 bytes=02 30 FA");
    EXPECT_EQ(TransferTrace::FormatLine(9, Direction::kRead, Path::kLibrary, 9, bytes, 2, 5),
              "9 read library requested=9 moved=2 bytes=02 30 status=5");
    EXPECT_EQ(TransferTrace::FormatLine(9, Direction::kRead, Path::kPort, 1, bytes, 0, 10),
              "9 read port requested=1 moved=0 status=10");
}

TEST(TransferTraceTest, PortTransfersAreAppendedOneLineEach) {
    const std::string name = ::testing::TempDir() + "trace-" + std::to_string(getpid()) + ".txt";
    std::remove(name.c_str());
    {
        TransferTrace trace(name);
        testing::FakeLink link;
        SerialPort port;
        link.Attach(port);
        port.UseTrace(trace);
        ASSERT_EQ(port.Open(1, 19200, 8, 2, 0), 0);
        link.peer.SetSilent(true);
        link.line.CameraSends({0x06}, 5);
        const uint8_t enq = 0x05;
        uint8_t got[2];
        port.Write(&enq, 1, 1000);
        port.Read(got, 2, 1000);
    }
    std::ifstream file(name);
    std::string write, read, extra;
    ASSERT_TRUE(std::getline(file, write));
    ASSERT_TRUE(std::getline(file, read));
    EXPECT_FALSE(std::getline(file, extra));
    EXPECT_EQ(write, "1000000 write port requested=1 moved=1 bytes=05");
    EXPECT_EQ(read, "1002000 read port requested=2 moved=1 bytes=06 status=5");
    std::remove(name.c_str());
}

TEST(TransferTraceTest, OffWithoutAFileName) {
    TransferTrace off{std::string()};
    EXPECT_FALSE(off.IsOn());
}

}  // namespace
}  // namespace tavin
