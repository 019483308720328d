// Bobs and singles: which lead end a call takes, what each method's calls
// do there, and tenors covering behind methods on an odd number of bells.
#include <gtest/gtest.h>

#include "tests/robot/RingingScript.h"
#include "tools/robot/MethodLibrary.h"

namespace {

using robot_test::Ring;

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
        std::vector<robot_test::ScriptedCall> calls = {{0, std::string("Go ") + c.method}};
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
