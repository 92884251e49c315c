#pragma once

#include <cstdint>
#include <random>
#include <set>
#include <string>

#include "Fault.h"

// What the protocol promises when the camera has a given bad day: which status codes an item
// read or write may end with, and the longest it may take. The figures come from the protocol's
// retry counts and time-outs, not from watching the code.

namespace tavin::soak {

enum class Operation { kRead, kWrite };

struct Expectation {
    bool mayHaveSucceeded = false;
    bool mayHaveFailed = false;
    std::set<int32_t> failureCodes;  // status codes a failure may end with
    int64_t waitMs = 0;  // time-outs it must sit out in full; the line's byte times come on top
};

Expectation Expect(const sim::Fault& fault, Operation operation);

// A fault drawn at random: none about two thirds of the time, every other kind with a count
// around the protocol's retry limit.
sim::Fault DrawFault(std::mt19937& random, bool allowHangUp);

std::string Describe(const sim::Fault& fault, Operation operation);

}  // namespace tavin::soak
