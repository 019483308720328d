#include "review/RowFinder.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>

namespace {

// What a row pays for each fault; a perfect row costs nothing.
constexpr double kMissingBell = 1.0;
constexpr double kExtraBlow = 1.0;
constexpr double kTwinBlow = 0.8;      // a blow struck again within half a blow: its row is where its twin is
constexpr double kOffStroke = 0.1;     // small: a ringer out of step pays it in every row, whatever the cut
constexpr double kRestart = 1.5;       // two rows on the same stroke running (a relayout)
constexpr double kPausePerBlow = 2.0;  // per blow of a pause inside a row beyond 1.5 blows
constexpr double kLongestPause = 1.5;  // what one pause costs at most: less than a cut elsewhere
constexpr double kSpanPerBlow = 2.0;   // per blow a row lasts beyond its bells' worth and a half

// The band's pace: the median time between successive blows, most of which
// are within rows.
double TypicalInterval(std::span<const HeardBlow> blows) {
    std::vector<double> intervals;
    for (std::size_t i = 1; i < blows.size(); ++i) intervals.push_back(blows[i].ms - blows[i - 1].ms);
    if (intervals.empty()) return 1;
    std::nth_element(intervals.begin(), intervals.begin() + static_cast<std::ptrdiff_t>(intervals.size() / 2),
                     intervals.end());
    return std::max(1.0, intervals[intervals.size() / 2]);
}

struct Step {
    double cost = std::numeric_limits<double>::infinity();
    int length = 0;      // of the row that ends here
    int fromStroke = 0;  // the stroke of that row
};

}  // namespace

std::vector<RowCut> CutRows(std::span<const HeardBlow> blows, int bellCount) {
    const int total = static_cast<int>(blows.size());
    const double interval = TypicalInterval(blows);
    const int longest = std::max(1, 2 * bellCount);
    // best[i][s]: the cheapest cut of the first i blows whose next row is on stroke s.
    std::vector<std::array<Step, 2>> best(static_cast<std::size_t>(total) + 1);
    best[0][0].cost = best[0][1].cost = 0;
    for (int i = 0; i < total; ++i) {
        for (int stroke = 0; stroke < 2; ++stroke) {
            const double before = best[i][stroke].cost;
            if (before == std::numeric_limits<double>::infinity()) continue;
            std::uint32_t seen = 0;
            std::array<double, 32> lastMs{};
            int distinct = 0, offStroke = 0;
            double pauses = 0, extras = 0;
            for (int length = 1; length <= longest && i + length <= total; ++length) {
                const HeardBlow& blow = blows[i + length - 1];
                const std::uint32_t bit = 1u << (blow.bell & 31);
                if (!(seen & bit)) ++distinct;
                else extras += blow.ms - lastMs[blow.bell & 31] < interval / 2 ? kTwinBlow : kExtraBlow;
                seen |= bit;
                lastMs[blow.bell & 31] = blow.ms;
                if (blow.stroke != stroke) ++offStroke;
                if (length > 1) {
                    const double pause = (blow.ms - blows[i + length - 2].ms) / interval - 1.5;
                    pauses += std::clamp(kPausePerBlow * pause, 0.0, kLongestPause);
                }
                const double span = (blow.ms - blows[i].ms) / interval - (bellCount - 1) - 0.5;
                const double overlong = std::clamp(kSpanPerBlow * span, 0.0, kLongestPause);
                const double cost = before + kMissingBell * std::max(0, bellCount - distinct) + extras +
                                    kOffStroke * offStroke + pauses + overlong;
                auto relax = [&](int next, double price) {
                    Step& step = best[i + length][next];
                    if (price < step.cost) step = {price, length, stroke};
                };
                relax(1 - stroke, cost);
                relax(stroke, cost + kRestart);
            }
        }
    }
    std::vector<RowCut> rows;
    int end = total;
    int next = best[total][0].cost <= best[total][1].cost ? 0 : 1;
    while (end > 0) {
        const Step& step = best[end][next];
        rows.push_back({end - step.length, step.length, step.fromStroke});
        end -= step.length;
        next = step.fromStroke;
    }
    std::reverse(rows.begin(), rows.end());
    return rows;
}
