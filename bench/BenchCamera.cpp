#include "BenchCamera.h"

#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "CameraItemTable.h"

namespace tavin::bench {

namespace {
// The COM port number the data set opens; the environment maps it to the pseudo-terminal.
constexpr int32_t kBenchPort = 1;
}  // namespace

BenchCamera::BenchCamera(int baud, sim::Fault fault, bool throughSer2net) {
    sim::ServerOptions options;
    options.fault = fault;
    options.pacing.baud = baud;
    server_ = std::make_unique<sim::PtyCameraServer>(std::move(options));
    std::string device = server_->DevicePath();
    if (throughSer2net) {
        // The camera's frames are a few bytes each way and every one is answered before the
        // next: ser2net must pass them on at once (no chardelay batching, no Nagle).
        ser2net_ = std::make_unique<testing::Ser2netServer>(
            testing::Ser2netServer::Program(),
            std::vector<testing::Ser2netServer::Connection>{
                {"telnet(rfc2217),tcp(nodelay)", device, "19200n82", true}});
        device = ser2net_->Address("rfc2217");
    }
    setenv(("TAVIN_COM" + std::to_string(kBenchPort)).c_str(), device.c_str(), 1);
    // The port's own speed does not matter on a pseudo-terminal; the simulator paces the line.
    const int32_t opened = data_.OpenPort(kBenchPort, baud > 0 ? baud : 19200);
    if (opened < 0) {
        throw std::runtime_error("cannot open " + device + " (status " + std::to_string(-opened) +
                                 ")");
    }
}

int ReadableItemCount() {
    int count = 0;
    for (int i = 0; i < kCameraItemCount; ++i) {
        count += (GetItemDef(i).flags & CameraItemDef::kReadable) ? 1 : 0;
    }
    return count;
}

int WritableItemCount() {
    int count = 0;
    for (int i = 0; i < kCameraItemCount; ++i) {
        count += (GetItemDef(i).flags & CameraItemDef::kWritable) ? 1 : 0;
    }
    return count;
}

}  // namespace tavin::bench
