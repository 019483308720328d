// Striking analysis of a touch, as bands do it with recordings of a tower:
// the rows, the rhythm of each whole pull, each blow's error from its ideal
// place, and figures per ringer, per bell and for the band.
//
// Rows come from RowFinder.h; a blow's place is where it fell in its row's
// order, and in a row missing a bell or holding one twice, the place that
// fits the pull's rhythm and the bell's usual error best (PullFitter.h). A
// whole pull is a handstroke row and the backstroke row after it, struck at
// one even interval; its rhythm is the line most of its blows lie on
// (RhythmFit.h), and a blow's ideal time is that line at its place. The
// handstroke gap is the pause before a handstroke row beyond one interval:
// an open handstroke lead leaves one blow's worth. Handstroke rows are those
// after the longer pauses when the band leaves a gap, else those on the
// stroke a bell first strikes after the bells are laid out (stroke 1).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "review/Touch.h"

inline constexpr int kHandstroke = 1;
inline constexpr int kBackstroke = 0;
// A blow this close to its place counts as good.
inline constexpr double kGoodBlowMs = 50;

struct AnalysedBlow {
    enum class Kind {
        Counted,  // a blow at a place in its row
        Extra,    // a bell's second blow in one row
        Stray,    // a bell struck too seldom to belong to the rows
    };
    Kind kind = Kind::Counted;
    int bell = 0;
    int ringer = 0;  // index into Touch::ringers
    double ms = 0;   // since the touch's first blow
    int row = -1;    // -1 for a stray blow
    int place = 0;   // 1 to the bell count; 0 unless counted
    double idealMs = 0;
    double errorMs = 0;  // late positive, early negative
};

struct AnalysedRow {
    int stroke = kHandstroke;
    std::vector<int> blows;  // indices into Analysis::blows, in time order
    std::vector<int> missingBells;
    int extraBlows = 0;
    bool good = false;  // whole, and every blow within kGoodBlowMs of its place
    bool Broken() const { return !missingBells.empty() || extraBlows > 0; }
};

struct PullRhythm {
    int firstRow = 0;
    int rowCount = 0;  // 1 when a row has no partner (the touch starts or ends between them)
    double startMs = 0;
    double intervalMs = 0;
    std::optional<double> handstrokeGapMs;  // before its handstroke row, when a backstroke row came just before
};

struct ErrorFigures {
    int blows = 0;
    double meanMs = 0;
    double sdMs = 0;  // sample standard deviation; 0 below two blows
};

struct StrikingFigures {
    ErrorFigures all, hand, back;
};

struct RingerFigures {
    std::string name;
    std::string bells;  // symbols of the bells the ringer struck in this touch, lowest first
    StrikingFigures figures;
};

struct BellFigures {
    int bell = 0;
    std::vector<std::string> ringers;  // in the order they rang it
    StrikingFigures figures;
};

struct BandFigures {
    int rows = 0;
    int brokenRows = 0;
    double rmsErrorMs = 0;
    double goodRowShare = 0;     // rows whose every blow is within kGoodBlowMs, of all rows
    double intervalMs = 0;       // mean over the pulls
    ErrorFigures handstrokeGap;  // its mean and spread over the pulls, in ms
};

struct Analysis {
    std::vector<int> bells;  // the bells that ring in the rows, lowest first
    std::vector<AnalysedBlow> blows;
    std::vector<AnalysedRow> rows;
    std::vector<PullRhythm> pulls;
    std::vector<RingerFigures> ringers;  // ordered by their lowest bell
    std::vector<BellFigures> bellFigures;
    BandFigures band;
};

Analysis AnalyseTouch(const Touch& touch);
