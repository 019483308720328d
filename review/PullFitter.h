// The places and the rhythm of each whole pull of an analysed touch, and the
// handstroke gaps between them (see StrikingAnalysis.h).
#pragma once

#include <array>

#include "review/RhythmFit.h"
#include "review/StrikingAnalysis.h"

// Every bell of the touch once, nothing more.
bool IsWhole(const Analysis& analysis, const AnalysedRow& row);

class PullFitter {
public:
    // interval: the band's usual pace, for a pull that has no whole row.
    PullFitter(Analysis& analysis, double interval);

    // Places the blows of the pull's rows, fits its rhythm and measures each
    // counted blow's error. previous: the pull before, fitted already.
    void Fit(PullRhythm& pull, const PullRhythm* previous);

    // Learns each bell's usual error in whole rows. Fitted again, a broken
    // row's blows are then placed expecting it, so that a ringer who is
    // always late is not taken for one early in the next place when a bell
    // is missing.
    void LearnHabits();

private:
    template <typename Visit>
    void ForEachRow(const PullRhythm& pull, Visit visit);
    RhythmLine Predict(const PullRhythm& pull, const PullRhythm* previous) const;
    void PlaceBrokenRow(AnalysedRow& row, const RhythmLine& line, int firstIndex, bool freeStart);

    Analysis& a_;
    int bellCount_;
    double interval_;
    std::array<double, 13> habitMs_{};  // by bell
    bool learning_ = true;              // the first pass, which learns the gap too
    double gapSum_ = 0;                 // in intervals
    int gaps_ = 0;
};

// The gap before each handstroke row that follows a backstroke row: from the
// previous pull's last ideal blow to its first, less one interval.
void MeasureHandstrokeGaps(Analysis& analysis);
