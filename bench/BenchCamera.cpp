#include "BenchCamera.h"

#include <cstdlib>
#include <stdexcept>
#include <string>

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
        ser2net_ = std::make_unique<Ser2netServer>(device);
        device = ser2net_->Address();
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
