#include "Scenarios.h"

#include <algorithm>
#include <vector>

#include "BenchCamera.h"
#include "DataFileCodec.h"

namespace tavin::bench {

namespace {

// Runs `body` on the host side of a fresh camera and fills in the line's byte counts.
template <typename Body>
ScenarioResult Measure(const char* name, int baud, int items, BenchCamera& bench, Body body) {
    ScenarioResult r;
    r.scenario = name;
    r.baud = baud;
    r.items = items;
    sim::PtyCameraServer& camera = bench.Camera();
    const uint64_t toCamera = camera.BytesFromHost();
    const uint64_t toHost = camera.BytesToHost();
    const UsageMeter meter;
    r.result = body(bench.Data());
    r.usage = meter.Elapsed();
    r.bytesToCamera = camera.BytesFromHost() - toCamera;
    r.bytesToHost = camera.BytesToHost() - toHost;
    r.succeeded = r.result >= 0;
    return r;
}

// A file as the program saves it: every item at its default, in camera form.
DataFileValues FileValues() {
    DataFileValues values{};
    for (int i = 0; i < kCameraItemCount; ++i) {
        values[static_cast<size_t>(i)] = GetDefault(i, false);
    }
    return values;
}

}  // namespace

ScenarioResult FullRead(int baud) {
    BenchCamera bench(baud);
    return Measure("full_read", baud, ReadableItemCount(), bench,
                   [](CameraDataSet& data) { return data.ReadAllItems(); });
}

ScenarioResult FullWrite(int baud) {
    BenchCamera bench(baud);
    return Measure("full_write", baud, WritableItemCount(), bench,
                   [](CameraDataSet& data) { return data.WriteAllItems(); });
}

ScenarioResult Ser2netRead(int baud) {
    BenchCamera bench(baud, {}, true);
    return Measure("ser2net_rfc2217_read", baud, ReadableItemCount(), bench,
                   [](CameraDataSet& data) { return data.ReadAllItems(); });
}

ScenarioResult UnpacedRead(int runs) {
    std::vector<ScenarioResult> results;
    for (int i = 0; i < std::max(runs, 1); ++i) {
        results.push_back(FullRead(0));
        results.back().scenario = "unpaced_read";
    }
    std::sort(results.begin(), results.end(),
              [](const auto& a, const auto& b) { return a.usage.wall < b.usage.wall; });
    return results[results.size() / 2];
}

ScenarioResult SilentCommand(int baud) {
    BenchCamera bench(baud, sim::Fault{sim::FaultKind::Silent, 0});
    return Measure("silent_command", baud, 1, bench,
                   [](CameraDataSet& data) { return data.SendCommand("01FF0106010000"); });
}

ScenarioResult FileLoad(int baud) {
    BenchCamera bench(baud);
    const DataFileBytes file = EncodeDataFile(FileValues());
    return Measure("file_load", baud, WritableItemCount(), bench, [&file](CameraDataSet& data) {
        if (LoadDataFile(file, data).status != DataFileStatus::Loaded) {
            return int32_t{-1};
        }
        return data.WriteAllItems();
    });
}

}  // namespace tavin::bench
