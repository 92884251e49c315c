#include "BenchReport.h"

#include <cmath>
#include <cstdio>

namespace tavin::bench {

namespace {

constexpr double kBitsPerByte = 11;  // start bit, 8 data bits, 2 stop bits

double Ms(std::chrono::nanoseconds ns) {
    return std::chrono::duration<double, std::milli>(ns).count();
}

std::string Number(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
        }
        out += c;
    }
    return out + '"';
}

bool IsTransfer(const ScenarioResult& r) {
    return r.baud > 0 && r.scenario != "silent_command";
}

}  // namespace

double ScenarioResult::WireMs() const {
    return baud > 0 ? static_cast<double>(Bytes()) * kBitsPerByte * 1000.0 / baud : 0.0;
}

double ScenarioResult::WallMs() const {
    return Ms(usage.wall);
}

double ScenarioResult::CpuMs() const {
    return Ms(usage.cpu);
}

std::optional<double> ScenarioResult::Ratio() const {
    const double wire = WireMs();
    if (wire <= 0) {
        return std::nullopt;
    }
    return WallMs() / wire;
}

double ScenarioResult::CpuShare() const {
    const double wall = WallMs();
    return wall > 0 ? CpuMs() / wall : 0.0;
}

Verdict Judge(const ScenarioResult& r, const Targets& t) {
    if (r.scenario == "silent_command") {
        const bool met = r.result < 0 &&
                         std::abs(r.WallMs() - t.silentWallMs) <= t.silentWallSlackMs &&
                         r.CpuMs() <= t.maxSilentCpuMs;
        return {met, "fails after " + Number(t.silentWallMs, 0) + " ms (+-" +
                         Number(t.silentWallSlackMs, 0) +
                         "), cpu <= " + Number(t.maxSilentCpuMs, 0) + " ms"};
    }
    if (!r.succeeded) {
        return {false, "the transfer succeeds"};
    }
    if (r.baud == 0) {
        return {r.WallMs() <= t.maxUnpacedReadMs,
                "wall <= " + Number(t.maxUnpacedReadMs, 0) + " ms"};
    }
    const auto ratio = r.Ratio();
    const double maxRatio = r.scenario.starts_with("ser2net") ? t.maxNetworkRatio : t.maxRatio;
    const bool met = IsTransfer(r) && ratio && *ratio <= maxRatio && r.CpuShare() <= t.maxCpuShare;
    return {met, "ratio <= " + Number(maxRatio, 2) +
                     ", cpu share <= " + Number(t.maxCpuShare * 100, 0) + " %"};
}

std::string ToJson(const ScenarioResult& r, const Verdict& verdict) {
    std::string json = "{\"scenario\": " + Quoted(r.scenario);
    const auto add = [&json](const char* key, const std::string& value) {
        json += std::string(", \"") + key + "\": " + value;
    };
    add("baud", std::to_string(r.baud));
    add("items", std::to_string(r.items));
    add("bytes_to_camera", std::to_string(r.bytesToCamera));
    add("bytes_to_host", std::to_string(r.bytesToHost));
    add("bytes", std::to_string(r.Bytes()));
    add("wire_ms", Number(r.WireMs(), 3));
    add("wall_ms", Number(r.WallMs(), 3));
    const auto ratio = r.Ratio();
    add("ratio", ratio ? Number(*ratio, 4) : "null");
    add("cpu_ms", Number(r.CpuMs(), 3));
    add("cpu_share", Number(r.CpuShare(), 4));
    if (r.baud == 0 && r.items > 0) {
        // Without pacing the whole time is protocol overhead.
        add("per_exchange_us", Number(r.WallMs() * 1000.0 / r.items, 1));
    }
    add("result", std::to_string(r.result));
    add("target", Quoted(verdict.target));
    add("met", verdict.met ? "true" : "false");
    return json + "}";
}

}  // namespace tavin::bench
