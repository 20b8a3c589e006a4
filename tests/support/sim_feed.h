#pragma once
// Feeds a request to a simulated station byte by byte, 1 ms apart, and collects every answer.

#include <chrono>

#include "sim/sim_station.h"

namespace zarnik::test {

inline sim::TBytes FeedBytes(sim::TSimStation& station, sim::TSimTime& now,
                             const sim::TBytes& request) {
    sim::TBytes out;
    for (const std::uint8_t b : request) {
        now += std::chrono::milliseconds(1);
        const sim::TSimAnswer a = station.Feed(b, now);
        out.insert(out.end(), a.Bytes.begin(), a.Bytes.end());
    }
    return out;
}

}  // namespace zarnik::test
