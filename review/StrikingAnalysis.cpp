#include "review/StrikingAnalysis.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "review/PullFitter.h"
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
    // Twice: the second time the broken rows are placed knowing each bell's habits.
    for (int pass = 0; pass < 2; ++pass) {
        for (std::size_t p = 0; p < analysis.pulls.size(); ++p)
            fitter.Fit(analysis.pulls[p], p == 0 ? nullptr : &analysis.pulls[p - 1]);
        fitter.LearnHabits();
    }
    MeasureHandstrokeGaps(analysis);
    MarkRows(analysis);
    AddFigures(analysis, touch.ringers);
    return analysis;
}
