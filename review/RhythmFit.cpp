#include "review/RhythmFit.h"

#include <algorithm>
#include <limits>

namespace {

double Median(std::vector<double>& values) {
    const std::size_t middle = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(middle), values.end());
    const double upper = values[middle];
    if (values.size() % 2 == 1) return upper;
    const double lower = *std::max_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(middle));
    return (lower + upper) / 2;
}

// Calls visit with every increasing choice of k of the places 0 to n - 1.
template <typename Visit>
void ForEachChoice(int n, int k, Visit visit) {
    std::vector<int> chosen(static_cast<std::size_t>(k));
    for (int i = 0; i < k; ++i) chosen[i] = i;
    while (true) {
        visit(chosen);
        int i = k - 1;
        while (i >= 0 && chosen[i] == n - k + i) --i;
        if (i < 0) return;
        ++chosen[i];
        for (int j = i + 1; j < k; ++j) chosen[j] = chosen[j - 1] + 1;
    }
}

// How far the blows lie from the line at the places given.
double Misfit(std::span<const double> ms, std::span<const int> places, const RhythmLine& line, double firstIndex,
              bool freeStart) {
    double shift = 0;
    if (freeStart) {
        for (std::size_t i = 0; i < ms.size(); ++i) shift += ms[i] - line.At(firstIndex + places[i]);
        shift /= static_cast<double>(ms.size());
    }
    double sum = 0;
    for (std::size_t i = 0; i < ms.size(); ++i) {
        const double off = ms[i] - line.At(firstIndex + places[i]) - shift;
        sum += off * off;
    }
    return sum;
}

}  // namespace

std::optional<RhythmLine> FitRhythm(std::span<const TimedIndex> points) {
    std::vector<double> slopes;
    for (std::size_t i = 0; i < points.size(); ++i)
        for (std::size_t j = i + 1; j < points.size(); ++j)
            if (points[j].index != points[i].index)
                slopes.push_back((points[j].ms - points[i].ms) / (points[j].index - points[i].index));
    if (slopes.empty()) return std::nullopt;
    RhythmLine line{0, Median(slopes)};
    std::vector<double> offsets;
    for (const TimedIndex& p : points) offsets.push_back(p.ms - p.index * line.intervalMs);
    line.startMs = Median(offsets);
    return line;
}

std::vector<int> PlaceRowBlows(std::span<const RowBlow> blows, int bellCount, const RhythmLine& line, double firstIndex,
                               bool freeStart) {
    const int count = static_cast<int>(blows.size());
    std::vector<int> places(blows.size(), -1);
    // Each bell's blows in the row; a bell struck more than once keeps one.
    std::vector<std::vector<int>> byBell;
    for (int i = 0; i < count; ++i) {
        auto same = std::find_if(byBell.begin(), byBell.end(),
                                 [&](const std::vector<int>& b) { return blows[b.front()].bell == blows[i].bell; });
        if (same == byBell.end()) byBell.push_back({i});
        else same->push_back(i);
    }
    if (count == bellCount && static_cast<int>(byBell.size()) == bellCount) {
        for (int i = 0; i < count; ++i) places[i] = i;
        return places;
    }

    double bestMisfit = std::numeric_limits<double>::infinity();
    std::vector<int> keptBest, placesBest;
    // Which blow each bell keeps: every combination, up to a few dozen (a
    // row with more doubles than that keeps the first blows of the rest).
    std::vector<std::size_t> pick(byBell.size(), 0);
    constexpr int kMostCombinations = 64;
    for (int combination = 0; combination < kMostCombinations; ++combination) {
        std::vector<int> kept;
        for (std::size_t b = 0; b < byBell.size(); ++b) kept.push_back(byBell[b][pick[b]]);
        std::sort(kept.begin(), kept.end());
        const int k = std::min(static_cast<int>(kept.size()), bellCount);
        kept.resize(static_cast<std::size_t>(k));
        std::vector<double> ms;
        for (int i : kept) ms.push_back(blows[i].ms);
        ForEachChoice(bellCount, k, [&](const std::vector<int>& chosen) {
            const double misfit = Misfit(ms, chosen, line, firstIndex, freeStart);
            if (misfit < bestMisfit) {
                bestMisfit = misfit;
                keptBest = kept;
                placesBest = chosen;
            }
        });
        // The next combination, counting through each bell's blows in turn.
        std::size_t b = 0;
        while (b < byBell.size() && ++pick[b] == byBell[b].size()) pick[b++] = 0;
        if (b == byBell.size()) break;
    }
    for (std::size_t i = 0; i < keptBest.size(); ++i) places[keptBest[i]] = placesBest[i];
    return places;
}
