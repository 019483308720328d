#include "review/StrikingAnalysis.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>

#include "review/RhythmFit.h"
#include "review/RowFinder.h"
#include "review/StrikingFigures.h"

namespace {

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2), values.end());
    return values[values.size() / 2];
}

// The bells that ring in the rows: each struck at least half as often as the
// most struck one. A bell touched by mistake now and then is not one of them.
std::vector<int> RowBells(const Touch& touch) {
    std::array<int, 13> count{};
    for (const RecordedBlow& blow : touch.blows)
        if (blow.bell >= 1 && blow.bell <= 12) ++count[blow.bell];
    const int most = *std::max_element(count.begin(), count.end());
    std::vector<int> bells;
    for (int bell = 1; bell <= 12; ++bell)
        if (count[bell] > 0 && 2 * count[bell] >= most) bells.push_back(bell);
    return bells;
}

bool IsWhole(const Analysis& analysis, const AnalysedRow& row) {
    if (row.blows.size() != analysis.bells.size()) return false;
    std::uint32_t seen = 0;
    for (int i : row.blows) seen |= 1u << analysis.blows[i].bell;
    return std::popcount(seen) == static_cast<int>(row.blows.size());
}

// The band's pace before any pull is fitted: the median gap between
// successive blows of a whole row.
double TypicalInterval(const Analysis& analysis) {
    std::vector<double> gaps;
    for (const AnalysedRow& row : analysis.rows)
        if (IsWhole(analysis, row))
            for (std::size_t i = 1; i < row.blows.size(); ++i)
                gaps.push_back(analysis.blows[row.blows[i]].ms - analysis.blows[row.blows[i - 1]].ms);
    return gaps.empty() ? 200 : Median(gaps);  // a guess for a touch without one whole row
}

// Which rows are handstrokes. When the band leaves a handstroke gap, the rows
// after the longer pauses, every other row: that holds however many ringers
// are a stroke out of step with the rest after a missed or doubled blow, as
// the strokes do not. A band that leaves no gap keeps the strokes the rows
// were cut by.
void LabelStrokesByTheGap(Analysis& analysis, double interval) {
    std::array<std::vector<double>, 2> pauses;  // before even rows, before odd ones
    for (std::size_t r = 1; r < analysis.rows.size(); ++r) {
        const double before = analysis.blows[analysis.rows[r - 1].blows.back()].ms;
        pauses[r % 2].push_back((analysis.blows[analysis.rows[r].blows.front()].ms - before) / interval);
    }
    if (pauses[0].empty() || pauses[1].empty()) return;
    const double even = Median(pauses[0]), odd = Median(pauses[1]);
    if (std::abs(even - odd) < 0.25) return;
    const std::size_t handParity = even > odd ? 0 : 1;
    for (std::size_t r = 0; r < analysis.rows.size(); ++r)
        analysis.rows[r].stroke = r % 2 == handParity ? kHandstroke : kBackstroke;
}

// A handstroke row and the backstroke row after it; any other row alone.
std::vector<PullRhythm> GroupPulls(const std::vector<AnalysedRow>& rows) {
    std::vector<PullRhythm> pulls;
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const bool joins = !pulls.empty() && pulls.back().rowCount == 1 &&
                           rows[pulls.back().firstRow].stroke == kHandstroke && rows[r].stroke == kBackstroke;
        if (joins) ++pulls.back().rowCount;
        else pulls.push_back({.firstRow = r, .rowCount = 1, .handstrokeGapMs = std::nullopt});
    }
    return pulls;
}

class PullFitter {
public:
    PullFitter(Analysis& analysis, double interval)
        : a_(analysis), bellCount_(static_cast<int>(analysis.bells.size())), interval_(interval) {}

    void Fit(PullRhythm& pull, const PullRhythm* previous) {
        // Whole rows take their places in turn, and give the line that the
        // blows of broken rows are placed against.
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
        // blows again better than one drawn from the other row alone.
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

        const bool afterBackstroke =
            previous && a_.rows[previous->firstRow + previous->rowCount - 1].stroke == kBackstroke;
        if (afterBackstroke && a_.rows[pull.firstRow].stroke == kHandstroke) {
            const double lastBlow = previous->startMs + (previous->rowCount * bellCount_ - 1) * previous->intervalMs;
            pull.handstrokeGapMs = pull.startMs - lastBlow - (previous->intervalMs + pull.intervalMs) / 2;
            gapSum_ += *pull.handstrokeGapMs / pull.intervalMs;
            ++gaps_;
        }
    }

private:
    template <typename Visit>
    void ForEachRow(const PullRhythm& pull, Visit visit) {
        for (int r = 0; r < pull.rowCount; ++r) visit(a_.rows[pull.firstRow + r], r * bellCount_);
    }

    // Where a pull without a whole row should start: one interval after the
    // previous pull, and before a handstroke the gap the band has left so far.
    RhythmLine Predict(const PullRhythm& pull, const PullRhythm* previous) const {
        if (!previous) return {0, interval_};
        const double gapBlows = gaps_ > 0 ? gapSum_ / gaps_ : 1.0;
        const bool hand = a_.rows[pull.firstRow].stroke == kHandstroke;
        const double next = previous->startMs + (previous->rowCount * bellCount_) * previous->intervalMs;
        return {next + (hand ? gapBlows * previous->intervalMs : 0), previous->intervalMs};
    }

    void PlaceBrokenRow(AnalysedRow& row, const RhythmLine& line, int firstIndex, bool freeStart) {
        std::vector<RowBlow> blows;
        for (int i : row.blows) blows.push_back({a_.blows[i].bell, a_.blows[i].ms});
        const std::vector<int> places = PlaceRowBlows(blows, bellCount_, line, firstIndex, freeStart);
        row.extraBlows = 0;
        for (std::size_t k = 0; k < places.size(); ++k) {
            AnalysedBlow& blow = a_.blows[row.blows[k]];
            blow.kind = places[k] < 0 ? AnalysedBlow::Kind::Extra : AnalysedBlow::Kind::Counted;
            blow.place = places[k] + 1;
            if (places[k] < 0) ++row.extraBlows;
        }
    }

    Analysis& a_;
    int bellCount_;
    double interval_;
    double gapSum_ = 0;  // in intervals
    int gaps_ = 0;
};

void CutIntoRows(Analysis& analysis, const Touch& touch) {
    std::vector<int> members;
    std::vector<HeardBlow> heard;
    for (int i = 0; i < static_cast<int>(analysis.blows.size()); ++i) {
        if (analysis.blows[i].kind == AnalysedBlow::Kind::Stray) continue;
        members.push_back(i);
        heard.push_back({touch.blows[i].bell, touch.blows[i].stroke, analysis.blows[i].ms});
    }
    for (const RowCut& cut : CutRows(heard, static_cast<int>(analysis.bells.size()))) {
        AnalysedRow row;
        row.stroke = cut.stroke;
        for (int k = cut.first; k < cut.first + cut.count; ++k) {
            row.blows.push_back(members[k]);
            analysis.blows[members[k]].row = static_cast<int>(analysis.rows.size());
        }
        analysis.rows.push_back(std::move(row));
    }
}

void MarkRows(Analysis& analysis) {
    for (AnalysedRow& row : analysis.rows) {
        std::uint32_t counted = 0;
        bool allGood = true;
        for (int i : row.blows) {
            const AnalysedBlow& blow = analysis.blows[i];
            if (blow.kind != AnalysedBlow::Kind::Counted) continue;
            counted |= 1u << blow.bell;
            allGood = allGood && std::abs(blow.errorMs) <= kGoodBlowMs;
        }
        for (int bell : analysis.bells)
            if (!(counted & (1u << bell))) row.missingBells.push_back(bell);
        row.good = allGood && !row.Broken();
    }
}

}  // namespace

Analysis AnalyseTouch(const Touch& touch) {
    Analysis analysis;
    if (touch.blows.empty()) return analysis;
    analysis.bells = RowBells(touch);
    for (const RecordedBlow& recorded : touch.blows) {
        AnalysedBlow blow;
        blow.bell = recorded.bell;
        blow.ringer = recorded.ringer;
        blow.ms = touch.MsSinceStart(recorded);
        const bool inRows = std::binary_search(analysis.bells.begin(), analysis.bells.end(), blow.bell);
        blow.kind = inRows ? AnalysedBlow::Kind::Counted : AnalysedBlow::Kind::Stray;
        analysis.blows.push_back(blow);
    }
    CutIntoRows(analysis, touch);
    const double interval = TypicalInterval(analysis);
    LabelStrokesByTheGap(analysis, interval);

    analysis.pulls = GroupPulls(analysis.rows);
    PullFitter fitter(analysis, interval);
    for (std::size_t p = 0; p < analysis.pulls.size(); ++p)
        fitter.Fit(analysis.pulls[p], p == 0 ? nullptr : &analysis.pulls[p - 1]);
    MarkRows(analysis);
    AddFigures(analysis, touch.ringers);
    return analysis;
}
