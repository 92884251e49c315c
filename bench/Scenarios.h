#pragma once

#include <vector>

#include "BenchReport.h"

// The benchmark's scenarios. Each starts its own camera, so none inherits another's line state.

namespace tavin::bench {

ScenarioResult FullRead(int baud);
ScenarioResult FullWrite(int baud);
// A full read without pacing, the median of `runs` runs: pure protocol and OS overhead.
ScenarioResult UnpacedRead(int runs);
// One item write to a camera that never answers: how long the host waits and what it burns.
ScenarioResult SilentCommand(int baud);
// A full read through ser2net over RFC 2217 on loopback, the camera's line paced at `baud`.
ScenarioResult Ser2netRead(int baud);
// Decoding a data file and writing its items to the camera, as opening a file does.
ScenarioResult FileLoad(int baud);

}  // namespace tavin::bench
