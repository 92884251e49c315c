#pragma once

#include <memory>

#include "CameraDataSet.h"
#include "PtyCameraServer.h"
#include "Ser2netServer.h"

// A simulated camera on a pseudo-terminal and the program's data set with its port open on it:
// the real transport, protocol and data set against the camera, nothing faked in between.

namespace tavin::bench {

class BenchCamera {
  public:
    // `baud` paces the simulated line (0: unpaced). With `throughSer2net` the port is the
    // pseudo-terminal served by ser2net over RFC 2217 on loopback. Throws std::runtime_error
    // when the port cannot be opened.
    explicit BenchCamera(int baud, sim::Fault fault = {}, bool throughSer2net = false);

    CameraDataSet& Data() { return data_; }
    sim::PtyCameraServer& Camera() { return *server_; }

  private:
    std::unique_ptr<sim::PtyCameraServer> server_;
    std::unique_ptr<testing::Ser2netServer> ser2net_;  // outlives the data set's open port
    CameraDataSet data_;
};

// Items a full read or a full write moves over the line.
int ReadableItemCount();
int WritableItemCount();

}  // namespace tavin::bench
