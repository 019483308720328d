#include "tools/load/Percentiles.h"

#include <algorithm>
#include <cmath>

namespace load {

namespace {
// The smallest sample at or above fraction q of them.
double RankUs(const std::vector<std::uint32_t>& sorted, double q) {
    const auto n = static_cast<double>(sorted.size());
    auto rank = static_cast<std::size_t>(std::ceil(q * n));
    rank = std::clamp<std::size_t>(rank, 1, sorted.size());
    return sorted[rank - 1] / 1000.0;
}
}  // namespace

LatencySummary Summarize(std::vector<std::uint32_t>& samplesNs) {
    LatencySummary summary;
    summary.count = samplesNs.size();
    if (samplesNs.empty()) return summary;
    std::sort(samplesNs.begin(), samplesNs.end());
    summary.p50Us = RankUs(samplesNs, 0.50);
    summary.p90Us = RankUs(samplesNs, 0.90);
    summary.p99Us = RankUs(samplesNs, 0.99);
    summary.p999Us = RankUs(samplesNs, 0.999);
    summary.maxUs = samplesNs.back() / 1000.0;
    return summary;
}

}  // namespace load
