// When calls take effect: every ringer gets at least one whole row's warning.
#include <gtest/gtest.h>

#include "tests/robot/RingingScript.h"
#include "tools/robot/MethodLibrary.h"

namespace {

using robot::CallOutcome;
using robot::CallType;
using robot::HeardCall;
using robot::ReadCall;
using robot::RowGenerator;
using robot_test::Ring;

// The first row that is not rounds.
long FirstChangedRow(const std::vector<std::string>& rows) {
    for (std::size_t k = 0; k < rows.size(); ++k) {
        if (rows[k] != robot::Row::Rounds(static_cast<int>(rows[k].size())).Symbols()) return static_cast<long>(k);
    }
    return -1;
}

TEST(CallText, ReadsCallsWhateverTheCaseSpacesAndFinalPunctuation) {
    EXPECT_EQ(ReadCall("Go"), (HeardCall{CallType::Go, ""}));
    EXPECT_EQ(ReadCall("  go.  "), (HeardCall{CallType::Go, ""}));
    EXPECT_EQ(ReadCall("GO  Cambridge Surprise Minor!"), (HeardCall{CallType::Go, "Cambridge Surprise Minor"}));
    EXPECT_EQ(ReadCall("That's All"), (HeardCall{CallType::ThatsAll, ""}));
    EXPECT_EQ(ReadCall("that\u2019s  all."), (HeardCall{CallType::ThatsAll, ""}));
    EXPECT_EQ(ReadCall("Here's treble"), (HeardCall{CallType::LookTo, ""}));
    EXPECT_EQ(ReadCall("Look to!"), (HeardCall{CallType::LookTo, ""}));
    EXPECT_EQ(ReadCall(" BOB "), (HeardCall{CallType::Bob, ""}));
    EXPECT_EQ(ReadCall("Single?"), (HeardCall{CallType::Single, ""}));
    EXPECT_EQ(ReadCall("Stand"), (HeardCall{CallType::Stand, ""}));
    for (const char* other : {"Bob!!", "Bobby", "Going", "Stand next", "Thats all", "", "!", "Hello"}) {
        EXPECT_FALSE(ReadCall(other)) << other;
    }
}

TEST(CallTiming, GoStartsTheMethodAtTheFirstHandstrokeAWholeRowAway) {
    EXPECT_EQ(FirstChangedRow(Ring(6, {{4, "Go Plain Bob Minor"}}, 12)), 6);  // during a handstroke
    EXPECT_EQ(FirstChangedRow(Ring(6, {{5, "Go Plain Bob Minor"}}, 12)), 8);  // during a backstroke
    // A Go before the first row counts as one during the row before it.
    RowGenerator rows(6);
    rows.SetMethod(*robot::FindMethod("Plain Bob Minor"));
    rows.LookTo();
    EXPECT_EQ(rows.Hear(*ReadCall("Go"), -1), CallOutcome::MethodStarts);
    EXPECT_EQ(rows.EffectRow(), 2);
}

TEST(CallTiming, ThatsAllStopsTheMethodWhenRoundsComeUp) {
    const long roundsAgain = 2 + 60 - 1;  // the end of the plain course
    const std::string rounds = "123456";
    for (long during : {30L, roundsAgain - 1}) {
        const auto rows = Ring(6, {{0, "Go Plain Bob Minor"}, {during, "That's All"}}, roundsAgain + 4);
        for (long k = roundsAgain; k <= roundsAgain + 4; ++k) EXPECT_EQ(rows[k], rounds) << during << " " << k;
    }
    // Without it the method goes on past rounds.
    const auto goesOn = Ring(6, {{0, "Go Plain Bob Minor"}}, roundsAgain + 1);
    EXPECT_EQ(goesOn[roundsAgain], rounds);
    EXPECT_EQ(goesOn[roundsAgain + 1], "214365");
    // After That's All a new Go starts the method again.
    const auto again = Ring(6, {{0, "Go Plain Bob Minor"}, {20, "That's All"}, {roundsAgain + 2, "Go Plain Bob Minor"}},
                            roundsAgain + 6);
    EXPECT_EQ(FirstChangedRow({again.begin() + roundsAgain, again.end()}), 5);  // row 66, a handstroke
}

TEST(CallTiming, StandEndsAtTheFirstBackstrokeAfterTheCall) {
    RowGenerator rows(6);
    rows.LookTo();
    ASSERT_TRUE(rows.RowAt(10));
    EXPECT_EQ(rows.Hear(*ReadCall("Stand"), 10), CallOutcome::Stands);
    EXPECT_EQ(rows.EffectRow(), 11);
    EXPECT_TRUE(rows.RowAt(11));
    EXPECT_FALSE(rows.RowAt(12));

    rows.LookTo();
    EXPECT_EQ(rows.Hear(*ReadCall("stand."), 11), CallOutcome::Stands);
    EXPECT_TRUE(rows.RowAt(13));
    EXPECT_FALSE(rows.RowAt(14));
    // Look to after standing rings rounds from row 0 again.
    rows.LookTo();
    EXPECT_EQ(rows.RowAt(40)->Symbols(), "123456");
}

TEST(CallTiming, CallsThatDoNotFitTheMomentAreRefused) {
    RowGenerator rows(6);
    EXPECT_EQ(rows.Hear(*ReadCall("Go"), 0), CallOutcome::Ignored);  // before Look to
    rows.LookTo();
    EXPECT_EQ(rows.Hear(*ReadCall("Go"), 0), CallOutcome::UnknownMethod);  // no method chosen
    EXPECT_EQ(rows.Hear(*ReadCall("Bob"), 1), CallOutcome::Ignored);       // in rounds
    EXPECT_EQ(rows.Hear(*ReadCall("That's all"), 1), CallOutcome::Ignored);
    EXPECT_EQ(rows.Hear(*ReadCall("Go Bristol Surprise Major"), 2), CallOutcome::MethodMisfits);
    EXPECT_EQ(rows.Hear(*ReadCall("Go Plain Bob Minimus"), 2), CallOutcome::UnknownMethod);
    EXPECT_EQ(rows.Hear(*ReadCall("Go Stedman Doubles"), 2), CallOutcome::MethodStarts);
    EXPECT_EQ(rows.Hear(*ReadCall("Go Plain Bob Doubles"), 3), CallOutcome::Ignored);  // already going
    EXPECT_EQ(rows.Hear(*ReadCall("Bob"), 5), CallOutcome::NoSuchCall);
    EXPECT_EQ(rows.Hear(*ReadCall("Single"), 5), CallOutcome::CallTaken);
    EXPECT_EQ(rows.EffectRow(), 6);
}

TEST(CallTiming, RowsAskedForEarlyAreRemadeByALaterCall) {
    RowGenerator rows(6);
    rows.LookTo();
    rows.Hear(*ReadCall("Go Plain Bob Minor"), 0);
    ASSERT_EQ(rows.RowAt(13)->Symbols(), "135264");  // looked ahead past the lead end
    rows.Hear(*ReadCall("Bob"), 10);
    EXPECT_EQ(rows.RowAt(12)->Symbols(), "132546");
    EXPECT_EQ(rows.RowAt(13)->Symbols(), "123564");
}

}  // namespace
