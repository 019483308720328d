#include "review/StrikingFigures.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "tower/RingerTable.h"

namespace {

// The errors of one ringer's or one bell's blows, by stroke.
struct Errors {
    std::vector<double> all, hand, back;
    void Add(const AnalysedBlow& blow, int stroke) {
        all.push_back(blow.errorMs);
        (stroke == kHandstroke ? hand : back).push_back(blow.errorMs);
    }
    StrikingFigures Figures() const { return {Summarise(all), Summarise(hand), Summarise(back)}; }
};

}  // namespace

ErrorFigures Summarise(std::span<const double> values) {
    ErrorFigures figures;
    figures.blows = static_cast<int>(values.size());
    if (values.empty()) return figures;
    double sum = 0;
    for (double v : values) sum += v;
    figures.meanMs = sum / figures.blows;
    if (figures.blows < 2) return figures;
    double squares = 0;
    for (double v : values) squares += (v - figures.meanMs) * (v - figures.meanMs);
    figures.sdMs = std::sqrt(squares / (figures.blows - 1));
    return figures;
}

void AddFigures(Analysis& analysis, const std::vector<std::string>& ringerNames) {
    std::map<int, Errors> byRinger, byBell;
    std::map<int, std::uint32_t> ringersBells;  // ringer to a bit per bell
    std::map<int, std::vector<int>> bellsRingers;
    double squares = 0;
    int counted = 0;
    for (const AnalysedBlow& blow : analysis.blows) {
        if (blow.kind != AnalysedBlow::Kind::Counted) continue;
        const int stroke = analysis.rows[blow.row].stroke;
        byRinger[blow.ringer].Add(blow, stroke);
        byBell[blow.bell].Add(blow, stroke);
        ringersBells[blow.ringer] |= 1u << blow.bell;
        std::vector<int>& rang = bellsRingers[blow.bell];
        if (std::find(rang.begin(), rang.end(), blow.ringer) == rang.end()) rang.push_back(blow.ringer);
        squares += blow.errorMs * blow.errorMs;
        ++counted;
    }

    for (const auto& [ringer, errors] : byRinger) {
        RingerFigures figures{ringerNames[ringer], "", errors.Figures()};
        for (int bell = 1; bell <= 12; ++bell)
            if (ringersBells[ringer] & (1u << bell)) figures.bells += BellSymbols[bell - 1];
        analysis.ringers.push_back(std::move(figures));
    }
    // As the ringers list orders them: by their lowest bell.
    std::stable_sort(analysis.ringers.begin(), analysis.ringers.end(),
                     [](const RingerFigures& a, const RingerFigures& b) {
                         return BellSymbols.find(a.bells.front()) < BellSymbols.find(b.bells.front());
                     });
    for (const auto& [bell, errors] : byBell) {
        BellFigures figures{bell, {}, errors.Figures()};
        for (int ringer : bellsRingers[bell]) figures.ringers.push_back(ringerNames[ringer]);
        analysis.bellFigures.push_back(std::move(figures));
    }

    BandFigures& band = analysis.band;
    band.rows = static_cast<int>(analysis.rows.size());
    band.brokenRows = static_cast<int>(
        std::count_if(analysis.rows.begin(), analysis.rows.end(), [](const AnalysedRow& row) { return row.Broken(); }));
    const auto goodRows =
        std::count_if(analysis.rows.begin(), analysis.rows.end(), [](const AnalysedRow& row) { return row.good; });
    if (band.rows > 0) band.goodRowShare = static_cast<double>(goodRows) / band.rows;
    if (counted > 0) band.rmsErrorMs = std::sqrt(squares / counted);
    std::vector<double> intervals, gaps;
    for (const PullRhythm& pull : analysis.pulls) {
        intervals.push_back(pull.intervalMs);
        if (pull.handstrokeGapMs) gaps.push_back(*pull.handstrokeGapMs);
    }
    band.intervalMs = Summarise(intervals).meanMs;
    band.handstrokeGap = Summarise(gaps);
}
