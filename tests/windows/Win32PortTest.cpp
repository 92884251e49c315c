// The port path on Windows where no camera is needed: range check, a port that does not exist,
// and the checks made before the driver is asked anything.
#include <gtest/gtest.h>

#include "CameraProtocol.h"
#include "Edition.h"

namespace tavin {
namespace {

TEST(Win32Port, PortNumbersAreCheckedBeforeTheDeviceIsOpened) {
    ScopedEdition edition(kMorva7EEdition);
    const struct {
        int32_t port;
        int32_t result;
        int32_t storedPort;
    } cases[] = {
        {11, -CommStatus::kBadPortNumber, 0},
        {-1, -CommStatus::kBadPortNumber, 0},
        // Passes the range check; "\\.\COM0" never exists.
        {0, -CommStatus::kCannotOpenPort, 0},
    };
    for (const auto& c : cases) {
        CameraProtocol host;
        EXPECT_EQ(host.OpenPort(c.port, 19200), c.result) << c.port;
        EXPECT_EQ(host.GetStatus(), -c.result) << c.port;
        EXPECT_EQ(host.GetPortNumber(), c.storedPort) << c.port;
        EXPECT_FALSE(host.IsPortOpen()) << c.port;
    }
}

TEST(Win32Port, TransfersWithoutAnOpenPortFailWithTheirOwnCodes) {
    ScopedEdition edition(kMorva7EEdition);
    CameraProtocol host;
    uint8_t bytes[4] = {0x05};
    EXPECT_EQ(host.Write(bytes, 0, 1000), -CommStatus::kBadByteCount);
    EXPECT_EQ(host.Read(bytes, -1, 1000), -CommStatus::kBadByteCount);
    EXPECT_EQ(host.Write(bytes, 1, 1000), -CommStatus::kPortNotOpen);
    EXPECT_EQ(host.Read(bytes, 1, 1000), -CommStatus::kPortNotOpen);
    EXPECT_EQ(host.Purge(SerialPort::kPurgeRxClear | SerialPort::kPurgeTxClear),
              -CommStatus::kPortNotOpen);
    EXPECT_EQ(host.Close(), 0);
}

}  // namespace
}  // namespace tavin
