// The recorder cuts what the session hears into touches at silences of more than three seconds and keeps the latest
// five. The analysis of made-up touches whose every blow's error is known: a band rings plain hunt on six at an even
// pace with an open handstroke lead, its strokes as the client sends them (each bell's alternate, the first a
// handstroke), with errors, missed and doubled blows added.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <tuple>

#include "review/StrikeRecorder.h"
#include "review/StrikingAnalysis.h"

namespace {

using namespace std::chrono;

TEST(StrikeRecorder, TouchesSplitAtSilencesAndTheLatestFiveAreKept) {
    int touchesStarted = 0;
    StrikeRecorder recorder([&] { return system_clock::time_point(hours(++touchesStarted)); });
    steady_clock::time_point now{seconds(100)};
    auto hear = [&](milliseconds after, std::string_view ringer) {
        now += after;
        recorder.OnStrike(HeardStrike{1, 1, ringer, now});
    };
    hear(0ms, "Ann");
    hear(3000ms, "Ben");  // three seconds exactly: the same touch
    EXPECT_TRUE(recorder.Ringing(now + 3s));
    EXPECT_FALSE(recorder.Ringing(now + 3001ms));
    for (int more = 0; more < 5; ++more) hear(3001ms, "Cy");  // a longer silence: a new touch each
    const auto kept = recorder.Touches();
    ASSERT_EQ(kept.size(), 5u);
    EXPECT_EQ(kept.front()->startedAt, system_clock::time_point(hours(2)));
    EXPECT_EQ(kept.back()->ringers, (std::vector<std::string>{"Cy"}));
    EXPECT_EQ(kept.back()->blows.size(), 1u);
}

constexpr int kBells = 6, kRows = 24, kIntervalMs = 200;

struct Band {
    double gapBlows = 1;  // the handstroke gap, in intervals
    std::function<double(int row, int bell)> errorMs = [](int, int) { return 0.0; };
    std::function<std::string(int row, int bell)> ringer = [](int, int bell) { return "R" + std::to_string(bell); };
    std::vector<std::pair<int, int>> missed = {};   // (row, bell) not struck
    std::vector<std::pair<int, int>> doubled = {};  // (row, bell) struck again 40 ms later

    static std::vector<std::vector<int>> Order() {  // plain hunt: the bells of each row in order
        std::vector<std::vector<int>> order{{1, 2, 3, 4, 5, 6}};
        while (order.size() < kRows) {
            std::vector<int> next = order.back();
            for (int p = static_cast<int>(order.size() + 1) % 2; p + 1 < kBells; p += 2)
                std::swap(next[p], next[p + 1]);
            order.push_back(next);
        }
        return order;
    }
    double IdealMs(int row, int place) const {
        return ((row / 2) * (2 * kBells + gapBlows) + (row % 2) * kBells + place) * kIntervalMs;
    }

    Touch Ring() const {
        Touch touch;
        const auto strike = [&](double ms, int row, int bell) {
            const std::string name = ringer(row, bell);
            auto who = std::find(touch.ringers.begin(), touch.ringers.end(), name);
            if (who == touch.ringers.end()) who = touch.ringers.insert(who, name);
            const duration<double, std::milli> at(ms + 5000);
            touch.blows.push_back({steady_clock::time_point(duration_cast<steady_clock::duration>(at)),
                                   static_cast<std::uint16_t>(who - touch.ringers.begin()),
                                   static_cast<std::uint8_t>(bell)});
        };
        const auto order = Order();
        for (int r = 0; r < kRows; ++r) {
            for (int p = 0; p < kBells; ++p) {
                const int bell = order[r][p];
                const double ms = IdealMs(r, p) + errorMs(r, bell);
                if (std::count(missed.begin(), missed.end(), std::pair(r, bell)) == 0) strike(ms, r, bell);
                if (std::count(doubled.begin(), doubled.end(), std::pair(r, bell)) == 1) strike(ms + 40, r, bell);
            }
        }
        std::stable_sort(touch.blows.begin(), touch.blows.end(), [](auto& a, auto& b) { return a.at < b.at; });
        std::map<int, int> stroke;  // each bell's last stroke: 0 after a layout
        for (RecordedBlow& blow : touch.blows) blow.stroke = static_cast<std::uint8_t>(stroke[blow.bell] ^= 1);
        return touch;
    }
};

const Band kLateBen{.errorMs = [](int row, int bell) { return bell == 4 ? (row % 2 == 0 ? 60.0 : 20.0) : 0.0; },
                    .ringer = [](int, int bell) { return bell == 4 ? "Ben" : "Ann"; }};
// Bell 2 is late in every row and is not taken for early in the place of bell 4, after it, when bell 4 misses in row 9;
// bell 2 misses when it leads row 14; bell 5 strikes twice in row 19.
const Band kMissedAndDoubled{.errorMs = [](int, int bell) { return bell == 2 ? 110.0 : 0.0; },
                             .missed = {{9, 4}, {14, 2}},
                             .doubled = {{19, 5}}};
// Cat takes bell 2 over from Ann at row 12 and strikes it 30 ms late.
const Band kTakeOver{
    .errorMs = [](int row, int bell) { return bell == 2 && row >= 12 ? 30.0 : 0.0; },
    .ringer = [](int row, int bell) { return bell > 2 ? "Ben" : (bell < 2 || row < 12 ? "Ann" : "Cat"); }};

struct Case {
    const char* what;
    Band band;
    std::vector<std::tuple<int, std::vector<int>, int>> brokenRows;  // row, bells missing, extra blows
    double goodRowShare;
    double handstrokeGapMs;
    std::vector<std::tuple<std::string, std::string, int, double>> ringers;  // name, bells, blows, mean error
};

const Case kCases[] = {
    {"a steady band", Band{}, {}, 1.0, 200, {{"R1", "1", 24, 0}}},
    {"a late ringer", kLateBen, {}, 0.5, 200, {{"Ann", "12356", 120, 0}, {"Ben", "4", 24, 40}}},
    {"a clipped handstroke gap", Band{.gapBlows = 0.4}, {}, 1.0, 80, {}},
    {"missed, doubled", kMissedAndDoubled, {{9, {4}, 0}, {14, {2}, 0}, {19, {}, 1}}, 0, 200, {{"R2", "2", 23, 110}}},
    {"a ringer who takes a bell over", kTakeOver, {}, 1.0, 200, {{"Ann", "12", 36, 0}, {"Cat", "2", 12, 30}}},
};

TEST(StrikingAnalysis, EveryBlowsErrorIsRecoveredWithin1MsAtItsPlaceAndBrokenRowsAreMarked) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        const Analysis analysis = AnalyseTouch(c.band.Ring());
        ASSERT_EQ(analysis.rows.size(), static_cast<std::size_t>(kRows));
        const auto order = c.band.Order();
        int counted = 0;
        double squares = 0;
        for (const AnalysedBlow& blow : analysis.blows) {
            if (blow.kind != AnalysedBlow::Kind::Counted) continue;
            const auto& row = order[blow.row];
            EXPECT_EQ(blow.place, std::find(row.begin(), row.end(), blow.bell) - row.begin() + 1) << blow.row;
            EXPECT_NEAR(blow.errorMs, c.band.errorMs(blow.row, blow.bell), 1.0) << blow.row << " " << blow.bell;
            squares += blow.errorMs * blow.errorMs;
            ++counted;
        }
        EXPECT_EQ(counted, kRows * kBells - static_cast<int>(c.band.missed.size()));
        std::vector<std::tuple<int, std::vector<int>, int>> broken;
        for (int r = 0; r < kRows; ++r) {
            const AnalysedRow& row = analysis.rows[r];
            if (row.Broken()) broken.emplace_back(r, row.missingBells, row.extraBlows);
            EXPECT_EQ(row.stroke, r % 2 == 0 ? kHandstroke : kBackstroke);
        }
        EXPECT_EQ(broken, c.brokenRows);
        EXPECT_NEAR(analysis.band.intervalMs, 200, 1);
        EXPECT_NEAR(analysis.band.rmsErrorMs, std::sqrt(squares / counted), 1);
        EXPECT_DOUBLE_EQ(analysis.band.goodRowShare, c.goodRowShare);
        EXPECT_NEAR(analysis.band.handstrokeGap.meanMs, c.handstrokeGapMs, 1);
        EXPECT_NEAR(analysis.band.handstrokeGap.sdMs, 0, 1);
        for (const auto& [name, bells, blows, meanMs] : c.ringers) {
            const auto figures = std::find_if(analysis.ringers.begin(), analysis.ringers.end(),
                                              [&](const RingerFigures& f) { return f.name == name; });
            ASSERT_NE(figures, analysis.ringers.end()) << name;
            EXPECT_EQ(figures->bells, bells);
            EXPECT_EQ(figures->figures.all.blows, blows) << name;
            EXPECT_NEAR(figures->figures.all.meanMs, meanMs, 1) << name;
        }
    }
}

TEST(StrikingAnalysis, FiguresGoByStrokeAndByBellAndAnExtraBlowIsKeptAsSuch) {
    const Analysis late = AnalyseTouch(kLateBen.Ring());
    EXPECT_EQ(late.ringers.front().name, "Ann");  // her lowest bell is lower
    const StrikingFigures& ben = late.ringers.back().figures;
    EXPECT_NEAR(ben.all.sdMs, 20.4, 1);  // half at 60, half at 20
    EXPECT_NEAR(ben.hand.meanMs, 60, 1);
    EXPECT_NEAR(ben.back.meanMs, 20, 1);

    const Analysis takenOver = AnalyseTouch(kTakeOver.Ring());
    EXPECT_EQ(takenOver.bellFigures[1].bell, 2);
    EXPECT_EQ(takenOver.bellFigures[1].ringers, (std::vector<std::string>{"Ann", "Cat"}));
    EXPECT_NEAR(takenOver.bellFigures[1].figures.all.meanMs, 15, 1);

    const Analysis doubled = AnalyseTouch(kMissedAndDoubled.Ring());
    const auto extra = std::find_if(doubled.blows.begin(), doubled.blows.end(),
                                    [](const AnalysedBlow& b) { return b.kind == AnalysedBlow::Kind::Extra; });
    ASSERT_NE(extra, doubled.blows.end());
    EXPECT_EQ(std::tie(extra->bell, extra->row), std::tuple(5, 19));
}

}  // namespace
