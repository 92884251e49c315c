// End to end: the real serial code on a pseudo-terminal with the simulated camera at the other
// end, in real time. The camera answers at once, so a full transfer takes milliseconds.

#include <gtest/gtest.h>

#include <cstdlib>

#include "CameraDataSet.h"
#include "Edition.h"
#include "PtyCameraServer.h"

namespace tavin {
namespace {

constexpr int32_t kPort = 9;

class ScopedPortDevice {
  public:
    explicit ScopedPortDevice(const std::string& path) { setenv(kName, path.c_str(), 1); }
    ~ScopedPortDevice() { unsetenv(kName); }

  private:
    static constexpr const char* kName = "TAVIN_COM9";
};

TEST(CameraDataSetOnPty, SettingsWrittenByOneDataSetAreReadBackByAnother) {
    ScopedEdition edition(kMorva7EEdition);
    sim::PtyCameraServer camera;
    ScopedPortDevice port(camera.DevicePath());

    {
        CameraDataSet writer;
        ASSERT_EQ(writer.OpenSerialPort(kPort, 19200), 0);
        writer.SetValue(9, 40, false);
        writer.SetValue(20, 0x6162, false);  // "ab" goes out as camera "AB"
        writer.SetValue(36, 0, false);       // camera 0x1FF
        writer.SetValue(41, 1000, false);    // camera 0x7E8
        writer.SetValue(44, 0x2A5, false);   // two bytes, most significant first
        EXPECT_EQ(writer.WriteAllItems(), 0);
    }
    EXPECT_EQ(camera.Value(sim::CommandGroup::First, 0x18), 40);
    EXPECT_EQ(camera.Value(sim::CommandGroup::First, 0x22), 0x0A0B);
    EXPECT_EQ(camera.Value(sim::CommandGroup::Second, 0x3C), 0x1FF);
    EXPECT_EQ(camera.Value(sim::CommandGroup::Second, 0x1A), 0x7E8);
    EXPECT_EQ(camera.Value(sim::CommandGroup::First, 0x2E), 0x2A5);

    CameraDataSet reader;
    ASSERT_EQ(reader.OpenSerialPort(kPort, 19200), 0);
    EXPECT_EQ(reader.ReadAllItems(), 1);
    EXPECT_EQ(reader.GetValue(9, false), 40);
    EXPECT_EQ(reader.GetValue(20, false), 0x4142);
    EXPECT_EQ(reader.GetValue(36, false), 0);
    EXPECT_EQ(reader.GetValue(41, false), 1000);
    EXPECT_EQ(reader.GetValue(44, false), 0x2A5);
}

}  // namespace
}  // namespace tavin
