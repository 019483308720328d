// Ringing a touch and looking at its striking, as a band meets it: Ann rings
// bells 1 and 2 by clicking them in her window; Ben (3, 4) and Cat (5, 6) are
// scripted ringers whose strikes leave at set times through the real server,
// Ben's bell 4 always 60 ms late; Cat misses bell 5 once. After a short
// touch, a silence and a longer one, Ann opens the review.
#include <QImage>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

#include "review/ReviewChart.h"
#include "review/ReviewDialog.h"
#include "tests/client/support/Harness.h"
#include "tests/support/TestMessages.h"
#include "tower/BellsDialog.h"

namespace {

using namespace testsupport;
using namespace std::chrono;

constexpr int kIntervalMs = 150;
constexpr int kLateMs = 60;
constexpr int kToleranceMs = 20;  // loopback and a busy machine, sanitizers too

// Rings rounds on six bells at an even pace with an open handstroke lead.
class Band {
public:
    Band(TowerWindow& ann, TestClient& ben, TestClient& cat) : ann_(ann), ben_(ben), cat_(cat) {}

    // Rings rows of rounds; bell `missedBell` misses its blow in row `missedRow`.
    bool Ring(int rows, int missedRow = -1, int missedBell = 0) {
        const auto start = steady_clock::now() + milliseconds(100);
        for (int row = 0; row < rows; ++row) {
            for (int bell = 1; bell <= 6; ++bell) {
                const int place = (row / 2) * 13 + (row % 2) * 6 + bell - 1;
                const auto due = start + milliseconds(place * kIntervalMs + (bell == 4 ? kLateMs : 0));
                if (!platform::PumpUntil([&] { return steady_clock::now() >= due; }, 5000)) return false;
                if ((row != missedRow || bell != missedBell) && !Strike(bell)) return false;
            }
        }
        // Every strike back in Ann's window.
        const std::size_t blows = rows * 6 - (missedRow >= 0 ? 1 : 0);
        return WaitFor([&] { return ann_.recorder.Touches().back()->blows.size() == blows; });
    }

private:
    bool Strike(int bell) {
        const int stroke = strokes_[bell] = 1 - strokes_[bell];
        if (bell <= 2) {
            const int column = ColumnOf(ann_, bell);
            (stroke == 1 ? ann_.upperBellButtons : ann_.lowerBellButtons)[column].Click();
            return true;
        }
        return (bell <= 4 ? ben_ : cat_).Send(msg::Strike(bell, stroke, 0, 0));
    }

    TowerWindow& ann_;
    TestClient &ben_, &cat_;
    std::map<int, int> strokes_;  // as every client has them
};

// A cell of the figures table's row whose first cell is `who`.
std::string FigureOf(const ReviewDialog& review, const std::string& who, int column) {
    const platform::ListView& list = review.figuresList;
    for (int row = 0; row < list.GetItemCount(); ++row)
        if (list.GetItemText(row, 0) == who) return list.GetItemText(row, column);
    return "none";
}

int MeanOf(const ReviewDialog& review, const std::string& who) { return std::atoi(FigureOf(review, who, 3).c_str()); }

TEST_F(RealTowerTest, AfterATouchTheBandSeesItsStrikingStepsBetweenTouchesAndSavesIt) {
    const std::filesystem::path folder = std::filesystem::path(TOLMER_SCREENSHOT_DIR).parent_path() / "review-test";
    std::filesystem::remove_all(folder);
    const ScopedVariable reviewFolder("TOLMER_REVIEW_DIR", folder.c_str());

    auto ann = Enter("Ann");
    ASSERT_TRUE(ann);
    TestClient ben = JoinAsTestClient(server.Port(), "Ben"), cat = JoinAsTestClient(server.Port(), "Cat");
    ASSERT_TRUE(WaitFor([&] { return Rows(*ann).size() == 3; }));
    script.Then(OnDialog<BellsDialog>([](BellsDialog& bells) {
        const std::vector<std::string> byBell = {"Ann", "Ann", "Ben", "Ben", "Cat", "Cat"};
        for (std::size_t bell = 0; bell < byBell.size(); ++bell) ChooseEntry(*bells.bellCombos[bell], byBell[bell]);
        bells.SendCommand(platform::IDOK);
    }));
    ann->bellsButton.Click();
    ASSERT_TRUE(WaitFor([&] { return ann->session.bellCount == 6 && Rows(*ann)[2] == "Cat|56|"; }));

    Band band(*ann, ben, cat);
    ASSERT_TRUE(band.Ring(1));
    platform::PumpFor(duration_cast<milliseconds>(StrikeRecorder::kSilence).count() + 300);
    ASSERT_TRUE(band.Ring(8, 5, 5));
    ASSERT_EQ(ann->recorder.Touches().size(), 2u);

    EXPECT_TRUE(ann->reviewButton.IsWindowVisible());
    script.Then(OnDialog<ReviewDialog>([&](ReviewDialog& review) {
        EXPECT_EQ(review.TouchShown(), 1);
        EXPECT_EQ(review.touchLabel.GetWindowText().substr(0, 13), "Touch 2 of 2,");
        EXPECT_EQ(review.bandFigures.GetWindowText().substr(0, 17), "8 rows (1 broken)");
        EXPECT_EQ(review.Shown().rows[5].missingBells, (std::vector<int>{5}));
        // The figures are the analysis's (tests/review); here, that they reach the table.
        EXPECT_EQ(FigureOf(review, "Ben", 1), "34");
        EXPECT_NEAR(MeanOf(review, "Ben"), kLateMs / 2, kToleranceMs);
        EXPECT_NEAR(MeanOf(review, "Bell 4"), kLateMs, kToleranceMs);
        EXPECT_NEAR(MeanOf(review, "Ann"), 0, kToleranceMs);
        EXPECT_EQ(review.rowsLabel.GetWindowText(), "Rows 1 to 8 of 8");
        // Ann's own blows are ringed: her two bells in every row.
        int ringed = 0;
        for (const auto& item : review.chart.GetDrawing().items)
            if (const auto* dot = std::get_if<platform::Drawing::Dot>(&item); dot && dot->outlineWidth == 3) ++ringed;
        EXPECT_EQ(ringed, 16);
        EXPECT_TRUE(SaveScreenshot(WidgetOf(review), "review"));

        // The touch as CSV, a line a blow; Ben's late bell late in it too.
        const std::filesystem::path csv = review.SaveCsv();
        ASSERT_FALSE(csv.empty());
        EXPECT_EQ(review.savedLabel.GetWindowText(), "Saved " + csv.string());
        std::ifstream in(csv);
        std::string line;
        std::getline(in, line);
        EXPECT_EQ(line, "row,stroke,place,bell,ringer,time_ms,ideal_ms,error_ms,blow,row_missing");
        int lines = 0, bell = 0;
        double error = 0, bell4Errors = 0;
        for (; std::getline(in, line); ++lines)
            if (std::sscanf(line.c_str(), "%*d,%*[^,],%*d,%d,%*[^,],%*f,%*f,%lf", &bell, &error) == 2 && bell == 4)
                bell4Errors += error;
        EXPECT_EQ(lines, 47);
        EXPECT_NEAR(bell4Errors / 8, kLateMs, kToleranceMs);
        // The whole chart as PNG.
        const std::filesystem::path png = review.SavePng();
        const QImage chart(QString::fromStdString(png.string()));
        EXPECT_EQ(chart.width(), 760);
        EXPECT_EQ(chart.height(), ChartHeight(8));

        // The touch before: one row.
        review.earlierTouchButton.Click();
        EXPECT_EQ(review.TouchShown(), 0);
        EXPECT_EQ(review.Shown().rows.size(), 1u);
        EXPECT_FALSE(WidgetOf(review.earlierTouchButton)->isEnabled());
        review.SendCommand(platform::IDCANCEL);
    }));
    ann->reviewButton.Click();
    EXPECT_EQ(script.Opened(), 3);
    std::filesystem::remove_all(folder);
}

}  // namespace
