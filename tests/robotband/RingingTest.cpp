// The robot rings with a scripted band through the real server. Every test
// judges the rows as the listener heard them: each blow is put in the row
// where its bell's place comes nearest in time, and the bells of each row
// must come in the band's order. Four bells ring quickly; the method is
// Plain Bob Minimus from its place notation.
#include <algorithm>

#include "tests/robotband/RobotFixture.h"
#include "tools/robot/Method.h"

namespace robotband {
namespace {

constexpr auto Call = BandEvent::Call;
using robot_band::HeardRows;
using robot_band::PlaceBlows;

const std::vector<std::string> kMinimusArgs = {"--place-notation", "x14x14,12", "--stage", "4"};

BandPlan Minimus(std::vector<BandEvent> events) {
    BandPlan plan;
    plan.bells = 4;
    plan.method = robot::MakeMethod("Plain Bob Minimus", 4, "x14x14,12").method;
    plan.people = "13";
    plan.events = std::move(events);
    plan.lastRow = 60;  // the Stand comes first
    return plan;
}

TEST_F(RobotTest, RingsRoundsTheMethodWithABobAndASingleThenThatsAllAndStand) {
    ASSERT_NO_FATAL_FAILURE(Gather(4, "13", "24", kMinimusArgs));
    // Go during row 2 starts the method at row 4; its lead heads are rows 11
    // and 19, each called as the treble leads at handstroke the row before.
    BandPlan plan =
        Minimus({Call(2, "Go"), Call(10, "Bob"), Call(18, "Single"), Call(20, "That's All"), Call(28, "Stand")});
    // The 3rd leads row 8 (3412) and misses it: the robot's 4th, next, waits
    // a blow and a half and rings on, in its place.
    plan.errorUs = [](int bell, long row) -> std::optional<double> {
        if (bell == 3 && row == 8) return std::nullopt;
        return 0.0;
    };
    const auto run = band_->Ring(plan);
    ASSERT_EQ(run.rows.size(), 30u);  // the Stand during row 28 ends with backstroke row 29
    EXPECT_EQ(run.rows[3], "1234");
    EXPECT_EQ(run.rows[4], "2143");
    EXPECT_EQ(run.rows[8], "3412");
    EXPECT_EQ(run.rows[10], "1324");
    EXPECT_EQ(run.rows[11], "1234");  // the bob's lead head; a plain one is 1342
    EXPECT_EQ(run.rows[19], "1324");  // the single's
    EXPECT_NE(run.rows[25], "1234");
    for (std::size_t k = 26; k < run.rows.size(); ++k) EXPECT_EQ(run.rows[k], "1234") << "row " << k;

    // The robot's two bells in their places in every row, and not a blow more.
    const auto blows = PlaceBlows(run);
    std::vector<std::string> expected = run.rows;
    expected[8] = "412";
    EXPECT_EQ(HeardRows(blows, run.rows.size()), expected);
    EXPECT_EQ(blows.size(), 4 * run.rows.size() - 1);
}

TEST_F(RobotTest, FollowsAReallocationAndStandsWhenTheConductorLeaves) {
    ASSERT_NO_FATAL_FAILURE(Gather(4, "13", "24"));
    // During row 5 the conductor takes the 2nd and gives the robot the 3rd.
    // Every client lays its bells out again, so the robot's next blow on each
    // of its bells must turn it to stroke 1 whatever it was before. During
    // row 10, after the 2nd, the conductor leaves.
    BandPlan plan = Minimus({BandEvent::Allocate(5, "12", "34"), BandEvent::ConductorLeaves(10)});
    plan.lastRow = 14;
    const auto run = band_->Ring(plan);
    const auto blows = PlaceBlows(run);
    const auto heard = HeardRows(blows, run.rows.size());
    ASSERT_GE(heard.size(), 12u);
    // Row 5 is left out: the robot's first blow on the 3rd comes half a
    // blow after the allocation.
    for (std::size_t k = 0; k < 10; ++k) {
        if (k == 5) continue;
        EXPECT_EQ(heard[k], "1234") << "row " << k;
    }
    // Nobody can call any more: it rings to the end of the backstroke and stands.
    EXPECT_EQ(heard[10], "1234");
    EXPECT_EQ(heard[11], "34");
    EXPECT_TRUE(std::none_of(blows.begin(), blows.end(), [](const auto& blow) { return blow.row > 11; }));
    EXPECT_TRUE(band_->Listener().Log().ChatFrom("Robot", "The conductor has gone, so I'll stand."));
    EXPECT_EQ(robot_.Wait(std::chrono::milliseconds(0)), -1) << "the robot should still be in the tower";
}

}  // namespace
}  // namespace robotband
