#include "LinkScenarios.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "CameraItemTable.h"
#include "DataFileCodec.h"
#include "ProgramRun.h"
#include "PtyCameraServer.h"

namespace tavin::bench {

namespace {

constexpr double kMaxGrowth = 1.10;           // wall(N) over wall(1)
constexpr double kMaxCpuSharePerLink = 0.01;  // of one core

std::chrono::nanoseconds ChildrenCpuTime() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    auto ns = [](const timeval& tv) {
        return std::chrono::seconds(tv.tv_sec) + std::chrono::microseconds(tv.tv_usec);
    };
    return ns(usage.ru_utime) + ns(usage.ru_stime);
}

// tavinctl beside this program, as the build and the package put them.
std::string TavinctlPath() {
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe");
    return (self.parent_path() / "tavinctl").string();
}

struct CtlRun {
    int exitStatus = -1;
    std::string out;
    double wallMs = 0;
    double cpuMs = 0;  // tavinctl and its children per link
};

CtlRun RunCtl(const std::vector<std::string>& args) {
    const auto cpuBefore = ChildrenCpuTime();
    const auto started = std::chrono::steady_clock::now();
    ctl::testing::ProgramResult ctl = ctl::testing::RunProgram(TavinctlPath(), args);
    CtlRun run;
    run.wallMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started)
            .count();
    run.cpuMs = std::chrono::duration<double, std::milli>(ChildrenCpuTime() - cpuBefore).count();
    run.exitStatus = ctl.exitStatus;
    run.out = std::move(ctl.out);
    return run;
}

// The seconds of each link that succeeded, from tavinctl's --json lines.
std::vector<double> OkSeconds(const std::string& out) {
    std::vector<double> seconds;
    for (size_t at = out.find("{\"link\": "); at != std::string::npos;
         at = out.find("{\"link\": ", at + 1)) {
        const size_t end = out.find('\n', at);
        const std::string line = out.substr(at, end - at);
        const size_t value = line.find("\"seconds\": ");
        if (line.find("\"result\": \"ok\"") != std::string::npos && value != std::string::npos) {
            seconds.push_back(std::stod(line.substr(value + 11)));
        }
    }
    return seconds;
}

std::string Fixed(double value, int digits) {
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", digits, value);
    return text;
}

}  // namespace

LinkScenarioResult LinkedVerifiedWrite(int links, int baud, bool withSilent, double oneLinkMs) {
    std::vector<std::unique_ptr<sim::PtyCameraServer>> cameras;
    // A links file, as the boot-time restore uses: one camera is then also a list of one.
    std::string lines;
    for (int i = 0; i < links; ++i) {
        sim::ServerOptions options;
        options.pacing.baud = baud;
        if (withSilent && i == links - 1) {
            options.fault = {sim::FaultKind::Silent, 0};
        }
        cameras.push_back(std::make_unique<sim::PtyCameraServer>(std::move(options)));
        lines += "camera" + std::to_string(i + 1) + " " + cameras.back()->DevicePath() + "\n";
    }
    // A file as the program saves it: every item at its default, in camera form. The traffic is
    // the same whatever the values.
    DataFileValues values{};
    for (int i = 0; i < kCameraItemCount; ++i) {
        values[static_cast<size_t>(i)] = GetDefault(i, false);
    }
    const std::filesystem::path base =
        std::filesystem::temp_directory_path() / ("tavin-bench-" + std::to_string(::getpid()));
    const std::string file = base.string() + ".tvn";
    const std::string list = base.string() + ".links";
    const DataFileBytes bytes = EncodeDataFile(values);
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    std::ofstream(list) << lines;
    const std::vector<std::string> args{"--links", list, "--json", "write", "--verify", file};
    const CtlRun run = RunCtl(args);
    std::filesystem::remove(file);
    std::filesystem::remove(list);

    const std::vector<double> ok = OkSeconds(run.out);
    const int wantOk = withSilent ? links - 1 : links;
    LinkScenarioResult result;
    result.wallMs = run.wallMs;
    result.asExpected =
        static_cast<int>(ok.size()) == wantOk && run.exitStatus == (withSilent ? 1 : 0);

    const double slowestOkMs = ok.empty() ? 0 : 1000 * *std::max_element(ok.begin(), ok.end());
    const double cpuShare = run.cpuMs / run.wallMs / links;
    // The others are held to the one-camera time: a silent camera must not slow them.
    const double heldMs = withSilent ? slowestOkMs : run.wallMs;
    const double growth = oneLinkMs > 0 ? heldMs / oneLinkMs : 1.0;
    const bool met = growth <= kMaxGrowth && cpuShare <= kMaxCpuSharePerLink;
    std::string target = std::string(withSilent ? "slowest good camera" : "wall") +
                         " <= 1.10 x one camera, host CPU per camera <= 1 %";
    result.json =
        std::string("{\"scenario\": \"linked_verified_write\", \"baud\": ") + std::to_string(baud) +
        ", \"links\": " + std::to_string(links) + ", \"silent\": " + (withSilent ? "1" : "0") +
        ", \"ok\": " + std::to_string(ok.size()) + ", \"exit\": " + std::to_string(run.exitStatus) +
        ", \"wall_ms\": " + Fixed(run.wallMs, 1) + ", \"slowest_ok_ms\": " + Fixed(slowestOkMs, 1) +
        ", \"growth\": " + Fixed(growth, 3) + ", \"cpu_ms\": " + Fixed(run.cpuMs, 1) +
        ", \"cpu_share_per_camera\": " + Fixed(cpuShare, 5) + ", \"target\": \"" + target +
        "\", \"met\": " + (met ? "true" : "false") + "}";
    return result;
}

}  // namespace tavin::bench
