// Latency percentiles of a run, by the nearest-rank method over every sample.
#pragma once

#include <cstdint>
#include <vector>

namespace load {

struct LatencySummary {
    std::uint64_t count = 0;
    double p50Us = 0;
    double p90Us = 0;
    double p99Us = 0;
    double p999Us = 0;
    double maxUs = 0;
};

// Sorts the samples (nanoseconds) in place and summarises them in microseconds.
LatencySummary Summarize(std::vector<std::uint32_t>& samplesNs);

}  // namespace load
