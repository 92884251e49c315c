#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "HostUsage.h"

// One scenario's figures and the target it is held to, printed as one JSON object per line.

namespace tavin::bench {

struct Targets {
    double maxRatio = 1.03;         // wall time over wire time, paced transfers
    double maxNetworkRatio = 1.05;  // the same through ser2net on loopback
    double maxCpuShare = 0.02;      // host CPU over wall time during a transfer
    double maxUnpacedReadMs = 10;   // full read without pacing
    double silentWallMs = 4000;     // a command to a silent camera gives up after this
    double silentWallSlackMs = 150;
    double maxSilentCpuMs = 20;
};

struct ScenarioResult {
    std::string scenario;
    int baud = 0;  // 0: unpaced
    int items = 0;
    uint64_t bytesToCamera = 0;
    uint64_t bytesToHost = 0;
    Usage usage;
    int32_t result = 0;  // what the data set or protocol returned
    bool succeeded = false;

    uint64_t Bytes() const { return bytesToCamera + bytesToHost; }
    // Time the bytes need on the wire at 8N2 (11 bit times a byte); 0 when unpaced.
    double WireMs() const;
    double WallMs() const;
    double CpuMs() const;
    std::optional<double> Ratio() const;
    double CpuShare() const;
};

// Whether the scenario met its target, and the target in words.
struct Verdict {
    bool met = false;
    std::string target;
};

Verdict Judge(const ScenarioResult& result, const Targets& targets);

// One line of JSON, no trailing newline.
std::string ToJson(const ScenarioResult& result, const Verdict& verdict);

}  // namespace tavin::bench
