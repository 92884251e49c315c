#pragma once

#include <string>

// tavinctl writing a data file with --verify to several simulated cameras at once, each on a
// pseudo-terminal of its own and paced like the wire: does the line grow without the time
// growing, and what does each camera cost the host?

namespace tavin::bench {

struct LinkScenarioResult {
    std::string json;         // one line, no trailing newline
    bool asExpected = false;  // every camera succeeded, except a silent one
    double wallMs = 0;
};

// `links` cameras, the last one silent when `withSilent`. `oneLinkMs` is the wall time of the
// single-camera run, which the others are held to (0 for the single-camera run itself).
LinkScenarioResult LinkedVerifiedWrite(int links, int baud, bool withSilent, double oneLinkMs);

}  // namespace tavin::bench
