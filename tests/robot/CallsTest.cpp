// Calls: how the robot reads them, when they take effect (every ringer gets
// at least one whole row's warning of a Go), what each method's bobs and
// singles do at its lead ends, and tenors covering on odd stages.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/robot/MethodLibrary.h"
#include "tools/robot/RowGenerator.h"

namespace {

using robot::CallOutcome;
using robot::CallType;
using robot::HeardCall;
using robot::ReadCall;
using robot::RowGenerator;

struct ScriptedCall {
    long during;
    std::string text;
};

// Rows 0 to lastRow rung from Look to, with calls heard during given rows
// ("" once the bells stand).
std::vector<std::string> Ring(int towerBells, const std::vector<ScriptedCall>& calls, long lastRow) {
    RowGenerator rows(towerBells);
    rows.LookTo();
    std::vector<std::string> rung;
    std::size_t next = 0;
    for (long k = 0; k <= lastRow; ++k) {
        const auto row = rows.RowAt(k);
        rung.push_back(row ? row->Symbols() : "");
        for (; next < calls.size() && calls[next].during == k; ++next) rows.Hear(*ReadCall(calls[next].text), k);
    }
    return rung;
}

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

TEST(MethodCalls, EachCallTakesItsLeadEndAndMakesItsLeadHead) {
    // "Go" during row 0 starts every method at row 2. A call during row r
    // takes the first lead end whose lead head is row r + 1 or later.
    struct Case {
        int bells;
        const char* method;
        const char* call;  // "" for a plain lead
        long during;
        long row;
        const char* expected;
    };
    const Case cases[] = {
        // Plain Bob Minor's lead heads are rows 13 and 25; the treble leads
        // at handstroke in row 12, so a bob called then still takes row 13.
        {6, "Plain Bob Minor", "", 0, 13, "135264"},
        {6, "Plain Bob Minor", "", 0, 25, "156342"},
        {6, "Plain Bob Minor", "Bob", 3, 13, "123564"},
        {6, "Plain Bob Minor", "Bob", 11, 25, "136245"},
        {6, "Plain Bob Minor", "Bob", 12, 13, "123564"},
        {6, "Plain Bob Minor", "Bob", 13, 13, "135264"},
        {6, "Plain Bob Minor", "Bob", 13, 25, "135642"},
        {6, "Plain Bob Minor", "Single", 10, 13, "132564"},
        {8, "Plain Bob Major", "Bob", 3, 17, "12357486"},
        {8, "Plain Bob Major", "Single", 3, 17, "13257486"},
        // Lead end 1n: bob 1(n-2), single 1(n-2)(n-1)n.
        {6, "Kent Treble Bob Minor", "Bob", 20, 25, "142356"},
        {6, "Kent Treble Bob Minor", "Single", 20, 25, "142365"},
        // Grandsire: 3rds made at the handstroke before the lead end.
        {8, "Grandsire Triples", "", 0, 13, "51726348"},
        {8, "Grandsire Triples", "", 0, 15, "12537468"},
        {8, "Grandsire Triples", "Bob", 12, 13, "51726348"},
        {8, "Grandsire Triples", "Bob", 12, 14, "15762438"},
        {8, "Grandsire Triples", "Bob", 12, 15, "17526348"},
        {8, "Grandsire Triples", "Single", 12, 14, "15762438"},
        {8, "Grandsire Triples", "Single", 12, 15, "15726348"},
        {5, "Grandsire Doubles", "Bob", 2, 11, "14523"},
        {5, "Grandsire Doubles", "Single", 2, 11, "15423"},
        // Stedman's six ends are rows 4, 10, ...; a call during one waits for the next.
        {8, "Stedman Triples", "", 0, 4, "32416578"},
        {8, "Stedman Triples", "", 0, 10, "43627158"},
        {8, "Stedman Triples", "Bob", 2, 4, "32415768"},
        {8, "Stedman Triples", "Single", 4, 4, "32416578"},
        {8, "Stedman Triples", "Single", 4, 10, "43621758"},
        // Doubles on six, the tenor covering.
        {6, "Plain Bob Doubles", "", 0, 11, "135246"},
        {6, "Plain Bob Doubles", "Bob", 5, 11, "123546"},
        {6, "Plain Bob Doubles", "Single", 5, 11, "132456"},
    };
    for (const Case& c : cases) {
        std::vector<ScriptedCall> calls = {{0, std::string("Go ") + c.method}};
        if (*c.call) calls.push_back({c.during, c.call});
        EXPECT_EQ(Ring(c.bells, calls, c.row)[c.row], c.expected) << c.method << " " << c.call << " " << c.during;
    }
}

TEST(MethodCalls, TheLibrarysCallsAreEachMethodsStandardOnes) {
    struct Calls {
        const char* method;
        const char* bob;  // "" for none
        const char* single;
    };
    for (const Calls& c :
         {Calls{"Bristol Surprise Major", "16", "1678"}, Calls{"Double Norwich Court Bob Major", "16", "1678"},
          Calls{"Bristol Surprise Maximus", "10", "10ET"}, Calls{"Stedman Doubles", "", "345"}}) {
        const auto method = robot::FindMethod(c.method);
        ASSERT_TRUE(method) << c.method;
        EXPECT_EQ(method->bob ? robot::ChangeText(method->bob->changes.at(0)) : "", c.bob) << c.method;
        EXPECT_EQ(robot::ChangeText(method->single->changes.at(0)), c.single) << c.method;
    }
}

TEST(MethodCalls, OddStagesRingWithTheTenorCovering) {
    struct Covered {
        const char* method;
        int bells;
        long courseRows;
    };
    for (const Covered& c : {Covered{"Go Plain Bob Doubles", 6, 40}, Covered{"Go Stedman Triples", 8, 84},
                             Covered{"Go Grandsire Caters", 10, 126}, Covered{"Go Grandsire Cinques", 12, 198}}) {
        const auto rows = Ring(c.bells, {{0, c.method}}, 2 + c.courseRows - 1);
        const char tenor = robot::BellSymbol(c.bells);
        for (const std::string& row : rows) ASSERT_EQ(row.back(), tenor) << c.method << " " << row;
        // The plain course comes round on its last row.
        EXPECT_EQ(rows.back(), robot::Row::Rounds(c.bells).Symbols()) << c.method;
        EXPECT_NE(rows[rows.size() - 2], rows.back()) << c.method;
    }
}

}  // namespace
