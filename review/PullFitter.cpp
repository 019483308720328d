#include "review/PullFitter.h"

#include <algorithm>
#include <bit>
#include <cstdint>

namespace {

int PlacesIn(const PullRhythm& pull, int bellCount) { return pull.rowCount * bellCount; }

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2), values.end());
    return values[values.size() / 2];
}

}  // namespace

bool IsWhole(const Analysis& analysis, const AnalysedRow& row) {
    if (row.blows.size() != analysis.bells.size()) return false;
    std::uint32_t seen = 0;
    for (int i : row.blows) seen |= 1u << analysis.blows[i].bell;
    return std::popcount(seen) == static_cast<int>(row.blows.size());
}

PullFitter::PullFitter(Analysis& analysis, double interval)
    : a_(analysis), bellCount_(static_cast<int>(analysis.bells.size())), interval_(interval) {}

void PullFitter::Fit(PullRhythm& pull, const PullRhythm* previous) {
    // Whole rows take their places in turn, and give the line that the blows
    // of broken rows are placed against.
    std::vector<TimedIndex> points;
    ForEachRow(pull, [&](AnalysedRow& row, int firstIndex) {
        if (!IsWhole(a_, row)) return;
        for (int place = 0; place < bellCount_; ++place) {
            AnalysedBlow& blow = a_.blows[row.blows[place]];
            blow.place = place + 1;
            points.push_back({double(firstIndex + place), blow.ms});
        }
    });
    std::optional<RhythmLine> line = FitRhythm(points);
    bool freeStart = !line && !previous;
    if (!line) line = Predict(pull, previous);
    // Twice: the line through every counted blow places the broken rows'
    // blows better than one drawn from the other row alone.
    for (int pass = 0; pass < 2; ++pass) {
        ForEachRow(pull, [&](AnalysedRow& row, int firstIndex) {
            if (!IsWhole(a_, row)) PlaceBrokenRow(row, *line, firstIndex, freeStart);
        });
        points.clear();
        ForEachRow(pull, [&](AnalysedRow& row, int firstIndex) {
            for (int i : row.blows)
                if (a_.blows[i].kind == AnalysedBlow::Kind::Counted)
                    points.push_back({double(firstIndex + a_.blows[i].place - 1), a_.blows[i].ms});
        });
        if (const auto fitted = FitRhythm(points)) {
            line = fitted;
            freeStart = false;
        } else if (points.size() == 1) {
            line->startMs = points[0].ms - points[0].index * line->intervalMs;
        }
    }
    pull.startMs = line->startMs;
    pull.intervalMs = line->intervalMs;
    ForEachRow(pull, [&](AnalysedRow& row, int firstIndex) {
        for (int i : row.blows) {
            AnalysedBlow& blow = a_.blows[i];
            if (blow.kind != AnalysedBlow::Kind::Counted) continue;
            blow.idealMs = line->At(firstIndex + blow.place - 1);
            blow.errorMs = blow.ms - blow.idealMs;
        }
    });

    // The gaps so far, for Predict.
    const bool afterBackstroke = previous && a_.rows[previous->firstRow + previous->rowCount - 1].stroke == kBackstroke;
    if (learning_ && afterBackstroke && a_.rows[pull.firstRow].stroke == kHandstroke && pull.intervalMs > 0) {
        const double lastBlow = previous->startMs + (PlacesIn(*previous, bellCount_) - 1) * previous->intervalMs;
        gapSum_ += (pull.startMs - lastBlow) / pull.intervalMs - 1;
        ++gaps_;
    }
}

void PullFitter::LearnHabits() {
    std::array<std::vector<double>, 13> errors;
    for (const AnalysedRow& row : a_.rows)
        if (IsWhole(a_, row))
            for (int i : row.blows) errors[a_.blows[i].bell].push_back(a_.blows[i].errorMs);
    for (int bell = 1; bell <= 12; ++bell) habitMs_[bell] = Median(errors[bell]);
    learning_ = false;
}

template <typename Visit>
void PullFitter::ForEachRow(const PullRhythm& pull, Visit visit) {
    for (int r = 0; r < pull.rowCount; ++r) visit(a_.rows[pull.firstRow + r], r * bellCount_);
}

// Where a pull without a whole row should start: one interval after the
// previous pull, and before a handstroke the gap the band has left so far.
RhythmLine PullFitter::Predict(const PullRhythm& pull, const PullRhythm* previous) const {
    if (!previous) return {0, interval_};
    const double gapBlows = gaps_ > 0 ? gapSum_ / gaps_ : 1.0;
    const bool hand = a_.rows[pull.firstRow].stroke == kHandstroke;
    const double next = previous->startMs + PlacesIn(*previous, bellCount_) * previous->intervalMs;
    return {next + (hand ? gapBlows * previous->intervalMs : 0), previous->intervalMs};
}

void PullFitter::PlaceBrokenRow(AnalysedRow& row, const RhythmLine& line, int firstIndex, bool freeStart) {
    std::vector<RowBlow> blows;
    for (int i : row.blows) blows.push_back({a_.blows[i].bell, a_.blows[i].ms - habitMs_[a_.blows[i].bell]});
    const std::vector<int> places = PlaceRowBlows(blows, bellCount_, line, firstIndex, freeStart);
    row.extraBlows = 0;
    for (std::size_t k = 0; k < places.size(); ++k) {
        AnalysedBlow& blow = a_.blows[row.blows[k]];
        blow.kind = places[k] < 0 ? AnalysedBlow::Kind::Extra : AnalysedBlow::Kind::Counted;
        blow.place = places[k] + 1;
        if (places[k] < 0) ++row.extraBlows;
    }
}

void MeasureHandstrokeGaps(Analysis& analysis) {
    const int bellCount = static_cast<int>(analysis.bells.size());
    for (std::size_t p = 1; p < analysis.pulls.size(); ++p) {
        const PullRhythm& previous = analysis.pulls[p - 1];
        PullRhythm& pull = analysis.pulls[p];
        const bool afterBackstroke = analysis.rows[previous.firstRow + previous.rowCount - 1].stroke == kBackstroke;
        if (!afterBackstroke || analysis.rows[pull.firstRow].stroke != kHandstroke) continue;
        const double lastBlow = previous.startMs + (PlacesIn(previous, bellCount) - 1) * previous.intervalMs;
        pull.handstrokeGapMs = pull.startMs - lastBlow - (previous.intervalMs + pull.intervalMs) / 2;
    }
}
