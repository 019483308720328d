// Ringing a touch and looking at its striking, as a band meets it: Ann clicks bells 1 and 2 in her window; scripted
// ringers Ben (3, 4) and Cat (5, 6) strike at set times through the real server, bell 4 always 60 ms late; Cat misses
// bell 5 once. After a short touch, a silence and a longer one, Ann opens the review.
#include <QImage>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "review/ReviewChart.h"
#include "review/ReviewDialog.h"
#include "tests/client/support/Harness.h"
#include "tests/support/TestMessages.h"
#include "tower/BellsDialog.h"

namespace {

using namespace testsupport;
using namespace std::chrono;

constexpr int kIntervalMs = 150, kLateMs = 60;
constexpr int kToleranceMs = 20;  // loopback and a busy machine, sanitizers too

TEST_F(RealTowerTest, AfterATouchTheBandSeesItsStrikingStepsBetweenTouchesAndSavesIt) {
    const std::filesystem::path folder = std::filesystem::path(TOLMER_SCREENSHOT_DIR).parent_path() / "review-test";
    std::filesystem::remove_all(folder);
    const ScopedVariable reviewFolder("TOLMER_REVIEW_DIR", folder.c_str());
    auto ann = Enter("Ann");
    ASSERT_TRUE(ann);
    TestClient ben = JoinAsTestClient(server.Port(), "Ben"), cat = JoinAsTestClient(server.Port(), "Cat");
    ASSERT_TRUE(WaitFor([&] { return Rows(*ann).size() == 3; }));
    script.Then(OnDialog<BellsDialog>([](BellsDialog& bells) {
        for (int bell = 0; bell < 6; ++bell) ChooseEntry(*bells.bellCombos[bell], Texts{"Ann", "Ben", "Cat"}[bell / 2]);
        bells.SendCommand(platform::IDOK);
    }));
    ann->bellsButton.Click();
    ASSERT_TRUE(WaitFor([&] { return ann->session.bellCount == 6 && Rows(*ann)[2] == "Cat|56|"; }));

    // Rings rows of rounds at an even pace with an open handstroke lead, each bell's strokes alternating as every
    // client has them; bell `missedBell` misses its blow in row `missedRow`. True once every blow is back.
    std::map<int, int> strokes;
    const auto ring = [&](int rows, int missedRow = -1, int missedBell = 0) {
        const auto start = steady_clock::now() + 100ms;
        for (int row = 0; row < rows; ++row) {
            for (int bell = 1; bell <= 6; ++bell) {
                const int place = (row / 2) * 13 + (row % 2) * 6 + bell - 1;
                const auto due = start + milliseconds(place * kIntervalMs + (bell == 4 ? kLateMs : 0));
                if (!platform::PumpUntil([&] { return steady_clock::now() >= due; }, 5000)) return false;
                if (row == missedRow && bell == missedBell) continue;
                const int stroke = strokes[bell] = 1 - strokes[bell];
                if (bell <= 2)
                    (stroke == 1 ? ann->upperBellButtons : ann->lowerBellButtons)[ColumnOf(*ann, bell)].Click();
                else if (!(bell <= 4 ? ben : cat).Send(msg::Strike(bell, stroke, 0, 0))) return false;
            }
        }
        const std::size_t blows = rows * 6 - (missedRow >= 0 ? 1 : 0);
        return WaitFor([&] { return ann->recorder.Touches().back()->blows.size() == blows; });
    };
    ASSERT_TRUE(ring(1));
    platform::PumpFor(duration_cast<milliseconds>(StrikeRecorder::kSilence).count() + 300);
    ASSERT_TRUE(ring(8, 5, 5));

    script.Then(OnDialog<ReviewDialog>([&](ReviewDialog& review) {
        EXPECT_EQ(review.touchLabel.GetWindowText().substr(0, 13), "Touch 2 of 2,");
        EXPECT_EQ(review.bandFigures.GetWindowText().substr(0, 17), "8 rows (1 broken)");
        EXPECT_EQ(review.Shown().rows[5].missingBells, (std::vector<int>{5}));
        // The figures are the analysis's (tests/review); here, that they reach the table. Rows by ringer (Ann, Ben,
        // Cat), then by bell: Ben's bells, bell 4's mean error.
        const platform::ListView& figures = review.figuresList;
        EXPECT_EQ(figures.GetItemText(1, 0) + " " + figures.GetItemText(1, 1), "Ben 34");
        EXPECT_NEAR(std::atoi(figures.GetItemText(6, 3).c_str()), kLateMs, kToleranceMs);
        // Ann's own blows are ringed: her two bells in every row.
        int ringed = 0;
        for (const auto& item : review.chart.GetDrawing().items)
            if (const auto* dot = std::get_if<platform::Drawing::Dot>(&item); dot && dot->outlineWidth == 3) ++ringed;
        EXPECT_EQ(ringed, 16);
        EXPECT_TRUE(SaveScreenshot(WidgetOf(review), "review"));

        // The touch as CSV, the titles and a line a blow; the whole chart as PNG.
        const std::filesystem::path csv = review.SaveCsv();
        EXPECT_EQ(review.savedLabel.GetWindowText(), "Saved " + csv.string());
        std::ifstream in(csv);
        EXPECT_EQ(std::count(std::istreambuf_iterator<char>(in), {}, '\n'), 48);
        EXPECT_EQ(QImage(QString::fromStdString(review.SavePng().string())).height(), ChartHeight(8));

        // The touch before: one row.
        review.earlierTouchButton.Click();
        EXPECT_EQ(review.Shown().rows.size(), 1u);
        EXPECT_FALSE(WidgetOf(review.earlierTouchButton)->isEnabled());
        review.SendCommand(platform::IDCANCEL);
    }));
    ann->reviewButton.Click();
    EXPECT_EQ(script.Opened(), 3);
    std::filesystem::remove_all(folder);
}

}  // namespace
