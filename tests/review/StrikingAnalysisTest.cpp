// The analysis of made-up touches whose every blow's error is known: a band
// rings rows of rounds or plain hunt at an even pace with an open handstroke
// lead, its strokes as the client sends them (each bell's strikes alternate,
// the first a handstroke), with errors, missed and doubled blows added.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>

#include "review/StrikingAnalysis.h"

namespace {

using namespace std::chrono;

struct Band {
    int bells = 6;
    int rows = 24;
    double intervalMs = 200;
    double gapBlows = 1;  // the handstroke gap, in intervals
    bool plainHunt = true;
    std::function<double(int row, int bell)> errorMs = [](int, int) { return 0.0; };
    std::function<std::string(int row, int bell)> ringer = [](int, int bell) { return "R" + std::to_string(bell); };
    std::vector<std::pair<int, int>> missed;       // (row, bell) not struck
    std::vector<std::pair<int, int>> doubled;      // (row, bell) struck again 40 ms later
    std::vector<std::vector<int>> Order() const {  // the bells of each row in order
        std::vector<std::vector<int>> order(1);
        for (int b = 1; b <= bells; ++b) order[0].push_back(b);
        while (static_cast<int>(order.size()) < rows) {
            std::vector<int> next = order.back();
            for (int p = plainHunt ? static_cast<int>(order.size() + 1) % 2 : bells; p + 1 < bells; p += 2)
                std::swap(next[p], next[p + 1]);
            order.push_back(next);
        }
        return order;
    }
    double IdealMs(int row, int place) const {
        const double pull = (row / 2) * (2 * bells + gapBlows) * intervalMs;
        return pull + ((row % 2) * bells + place) * intervalMs;
    }

    Touch Ring() const {
        struct Strike {
            double ms;
            int bell;
            std::string ringer;
        };
        std::vector<Strike> strikes;
        const auto order = Order();
        for (int r = 0; r < rows; ++r) {
            for (int p = 0; p < bells; ++p) {
                const int bell = order[r][p];
                const std::pair<int, int> at{r, bell};
                const double ms = IdealMs(r, p) + errorMs(r, bell);
                if (std::find(missed.begin(), missed.end(), at) == missed.end())
                    strikes.push_back({ms, bell, ringer(r, bell)});
                if (std::find(doubled.begin(), doubled.end(), at) != doubled.end())
                    strikes.push_back({ms + 40, bell, ringer(r, bell)});
            }
        }
        std::stable_sort(strikes.begin(), strikes.end(), [](auto& a, auto& b) { return a.ms < b.ms; });
        Touch touch;
        std::map<int, int> stroke;  // each bell's last stroke: 0 after a layout
        for (const Strike& s : strikes) {
            auto name = std::find(touch.ringers.begin(), touch.ringers.end(), s.ringer);
            if (name == touch.ringers.end()) name = touch.ringers.insert(name, s.ringer);
            stroke[s.bell] = 1 - stroke[s.bell];
            const auto at = steady_clock::time_point(
                duration_cast<steady_clock::duration>(duration<double, std::milli>(s.ms + 5000)));
            touch.blows.push_back({at, static_cast<std::uint16_t>(name - touch.ringers.begin()),
                                   static_cast<std::uint8_t>(s.bell), static_cast<std::uint8_t>(stroke[s.bell])});
        }
        return touch;
    }
};

// Every counted blow's error is the one the band made, within 1 ms, and it
// stands at its place in its row; the rows are the band's.
void ExpectErrorsRecovered(const Band& band, const Analysis& analysis) {
    ASSERT_EQ(static_cast<int>(analysis.rows.size()), band.rows);
    const auto order = band.Order();
    int counted = 0;
    for (const AnalysedBlow& blow : analysis.blows) {
        if (blow.kind != AnalysedBlow::Kind::Counted) continue;
        ++counted;
        const auto& row = order[blow.row];
        const int place = static_cast<int>(std::find(row.begin(), row.end(), blow.bell) - row.begin()) + 1;
        EXPECT_EQ(blow.place, place) << "row " << blow.row << " bell " << blow.bell;
        EXPECT_NEAR(blow.errorMs, band.errorMs(blow.row, blow.bell), 1.0)
            << "row " << blow.row << " bell " << blow.bell;
    }
    EXPECT_EQ(counted, band.rows * band.bells - static_cast<int>(band.missed.size()));
}

std::vector<int> BrokenRows(const Analysis& analysis) {
    std::vector<int> broken;
    for (std::size_t r = 0; r < analysis.rows.size(); ++r)
        if (analysis.rows[r].Broken()) broken.push_back(static_cast<int>(r));
    return broken;
}

const RingerFigures& FiguresOf(const Analysis& analysis, const std::string& name) {
    static const RingerFigures none;
    for (const RingerFigures& figures : analysis.ringers)
        if (figures.name == name) return figures;
    ADD_FAILURE() << "no figures for " << name;
    return none;
}

TEST(StrikingAnalysis, ASteadyBandRingsEveryBlowInItsPlaceWithAnOpenHandstrokeLead) {
    const Band band;
    const Analysis analysis = AnalyseTouch(band.Ring());
    ExpectErrorsRecovered(band, analysis);
    EXPECT_EQ(analysis.bells, (std::vector<int>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(analysis.rows[0].stroke, kHandstroke);
    EXPECT_EQ(analysis.rows[1].stroke, kBackstroke);
    EXPECT_EQ(analysis.pulls.size(), 12u);
    EXPECT_TRUE(BrokenRows(analysis).empty());
    EXPECT_NEAR(analysis.band.rmsErrorMs, 0, 1);
    EXPECT_DOUBLE_EQ(analysis.band.goodRowShare, 1.0);
    EXPECT_NEAR(analysis.band.intervalMs, 200, 1);
    EXPECT_EQ(analysis.band.handstrokeGap.blows, 11);
    EXPECT_NEAR(analysis.band.handstrokeGap.meanMs, 200, 1);
    EXPECT_NEAR(analysis.band.handstrokeGap.sdMs, 0, 1);
}

TEST(StrikingAnalysis, ALateRingerCarriesTheirOwnErrorByStrokeAndNobodyElseMoves) {
    Band band;
    band.errorMs = [](int row, int bell) { return bell == 4 ? (row % 2 == 0 ? 60.0 : 20.0) : 0.0; };
    band.ringer = [](int, int bell) { return bell == 4 ? "Ben" : "Ann"; };
    const Analysis analysis = AnalyseTouch(band.Ring());
    ExpectErrorsRecovered(band, analysis);
    const RingerFigures& ben = FiguresOf(analysis, "Ben");
    EXPECT_EQ(ben.bells, "4");
    EXPECT_EQ(ben.figures.all.blows, 24);
    EXPECT_NEAR(ben.figures.all.meanMs, 40, 1);
    EXPECT_NEAR(ben.figures.all.sdMs, 20.4, 1);  // half at 60, half at 20
    EXPECT_NEAR(ben.figures.hand.meanMs, 60, 1);
    EXPECT_NEAR(ben.figures.back.meanMs, 20, 1);
    EXPECT_NEAR(ben.figures.hand.sdMs, 0, 1);
    const RingerFigures& ann = FiguresOf(analysis, "Ann");
    EXPECT_EQ(ann.bells, "12356");
    EXPECT_NEAR(ann.figures.all.meanMs, 0, 1);
    EXPECT_NEAR(ann.figures.all.sdMs, 0, 1);
    EXPECT_EQ(analysis.ringers.front().name, "Ann");  // her lowest bell is lower
    EXPECT_NEAR(analysis.bellFigures[3].figures.all.meanMs, 40, 1);
    // Every handstroke row holds a blow 60 ms late.
    EXPECT_DOUBLE_EQ(analysis.band.goodRowShare, 0.5);
    EXPECT_NEAR(analysis.band.rmsErrorMs, std::sqrt((60 * 60 + 20 * 20) / 2.0 / 6), 1);
}

TEST(StrikingAnalysis, AClippedHandstrokeGapShowsInTheGapAndNotInTheBlows) {
    Band band;
    band.gapBlows = 0.4;
    const Analysis analysis = AnalyseTouch(band.Ring());
    ExpectErrorsRecovered(band, analysis);
    EXPECT_NEAR(analysis.band.handstrokeGap.meanMs, 80, 1);
    EXPECT_NEAR(analysis.band.handstrokeGap.sdMs, 0, 1);
    EXPECT_DOUBLE_EQ(analysis.band.goodRowShare, 1.0);
}

TEST(StrikingAnalysis, MissedAndDoubledBlowsBreakOnlyTheirRowsAndTheRowsStayAligned) {
    Band band;
    band.errorMs = [](int, int bell) { return bell == 2 ? 110.0 : 0.0; };
    // The bell after bell 2 misses a blow in row 9 (bell 2, always late, is
    // not taken for early in its place) and is on the other stroke from then
    // on; the bell leading row 14 misses too; bell 5 strikes twice in row 19.
    const auto order = band.Order();
    const int afterTwo = *(std::find(order[9].begin(), order[9].end(), 2) + 1);
    band.missed = {{9, afterTwo}, {14, order[14][0]}};
    band.doubled = {{19, 5}};
    const Analysis analysis = AnalyseTouch(band.Ring());
    ExpectErrorsRecovered(band, analysis);
    EXPECT_EQ(BrokenRows(analysis), (std::vector<int>{9, 14, 19}));
    EXPECT_EQ(analysis.rows[9].missingBells, (std::vector<int>{afterTwo}));
    EXPECT_EQ(analysis.rows[14].missingBells, (std::vector<int>{order[14][0]}));
    EXPECT_EQ(analysis.rows[19].extraBlows, 1);
    const auto extra = std::find_if(analysis.blows.begin(), analysis.blows.end(),
                                    [](const AnalysedBlow& b) { return b.kind == AnalysedBlow::Kind::Extra; });
    ASSERT_NE(extra, analysis.blows.end());
    EXPECT_EQ(extra->bell, 5);
    EXPECT_EQ(extra->row, 19);
    const auto& row19 = order[19];
    const int placeOf5 = static_cast<int>(std::find(row19.begin(), row19.end(), 5) - row19.begin());
    EXPECT_NEAR(extra->ms, band.IdealMs(19, placeOf5) + 40, 1);
    EXPECT_DOUBLE_EQ(analysis.band.goodRowShare, 0);  // bell 2 is late in every row
}

TEST(StrikingAnalysis, ARingerWhoTakesABellOverMidTouchHasFiguresOfTheirOwn) {
    Band band;
    band.ringer = [](int row, int bell) { return bell == 2 && row >= 12 ? "Cat" : bell <= 2 ? "Ann" : "Ben"; };
    band.errorMs = [](int row, int bell) { return bell == 2 && row >= 12 ? 30.0 : 0.0; };
    const Analysis analysis = AnalyseTouch(band.Ring());
    ExpectErrorsRecovered(band, analysis);
    const RingerFigures& ann = FiguresOf(analysis, "Ann");
    EXPECT_EQ(ann.bells, "12");
    EXPECT_EQ(ann.figures.all.blows, 24 + 12);
    EXPECT_NEAR(ann.figures.all.meanMs, 0, 1);
    const RingerFigures& cat = FiguresOf(analysis, "Cat");
    EXPECT_EQ(cat.bells, "2");
    EXPECT_EQ(cat.figures.all.blows, 12);
    EXPECT_NEAR(cat.figures.all.meanMs, 30, 1);
    const BellFigures& two = analysis.bellFigures[1];
    EXPECT_EQ(two.bell, 2);
    EXPECT_EQ(two.ringers, (std::vector<std::string>{"Ann", "Cat"}));
    EXPECT_NEAR(two.figures.all.meanMs, 15, 1);
}

}  // namespace
