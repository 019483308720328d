// Bobs and singles where each method takes them, and tenors covering behind
// methods on an odd number of bells.
#include <gtest/gtest.h>

#include "tests/robot/RingingScript.h"
#include "tools/robot/MethodLibrary.h"

namespace {

using robot_test::Ring;

// "Go" during row 0 starts every method at row 2.
constexpr long kFirstMethodRow = 2;

TEST(MethodCalls, LeadEndTwelveTakesBob14AndSingle1234) {
    const long leadHead = kFirstMethodRow + 11;
    EXPECT_EQ(Ring(6, {{0, "Go Plain Bob Minor"}}, leadHead)[leadHead], "135264");
    EXPECT_EQ(Ring(6, {{0, "Go Plain Bob Minor"}, {10, "Bob"}}, leadHead)[leadHead], "123564");
    EXPECT_EQ(Ring(6, {{0, "Go Plain Bob Minor"}, {10, "Single"}}, leadHead)[leadHead], "132564");
    const long majorLeadHead = kFirstMethodRow + 15;
    EXPECT_EQ(Ring(8, {{0, "Go Plain Bob Major"}, {3, "Bob"}}, majorLeadHead)[majorLeadHead], "12357486");
    EXPECT_EQ(Ring(8, {{0, "Go Plain Bob Major"}, {3, "Single"}}, majorLeadHead)[majorLeadHead], "13257486");
}

TEST(MethodCalls, LeadEndOneAndTheTenorTakesBobAndSingleBelowIt) {
    const long leadHead = kFirstMethodRow + 23;
    EXPECT_EQ(Ring(6, {{0, "Go Kent Treble Bob Minor"}, {20, "Bob"}}, leadHead)[leadHead], "142356");
    EXPECT_EQ(Ring(6, {{0, "Go Kent Treble Bob Minor"}, {20, "Single"}}, leadHead)[leadHead], "142365");
    for (const char* name : {"Bristol Surprise Major", "Double Norwich Court Bob Major"}) {
        const auto method = robot::FindMethod(name);
        EXPECT_EQ(robot::ChangeText(method->bob->changes.at(0)), "16") << name;
        EXPECT_EQ(robot::ChangeText(method->single->changes.at(0)), "1678") << name;
    }
    const auto maximus = robot::FindMethod("Bristol Surprise Maximus");
    EXPECT_EQ(robot::ChangeText(maximus->bob->changes.at(0)), "10");
    EXPECT_EQ(robot::ChangeText(maximus->single->changes.at(0)), "10ET");
}

TEST(MethodCalls, GrandsireCallsStartTheRowBeforeTheLeadEnd) {
    const long leadHead = kFirstMethodRow + 13;  // Triples on eight, the tenor covering
    const auto plain = Ring(8, {{0, "Go Grandsire Triples"}}, leadHead);
    const auto bob = Ring(8, {{0, "Go Grandsire Triples"}, {12, "Bob"}}, leadHead);
    const auto single = Ring(8, {{0, "Go Grandsire Triples"}, {12, "Single"}}, leadHead);
    EXPECT_EQ(plain[leadHead], "12537468");
    EXPECT_EQ(bob[leadHead - 2], plain[leadHead - 2]);
    EXPECT_EQ(bob[leadHead - 1], "15762438");  // 3rds made at the handstroke before the lead end
    EXPECT_EQ(bob[leadHead], "17526348");
    EXPECT_EQ(single[leadHead - 1], "15762438");
    EXPECT_EQ(single[leadHead], "15726348");
    // Doubles: the same calls on five.
    const long doublesLeadHead = kFirstMethodRow + 9;
    EXPECT_EQ(Ring(5, {{0, "Go Grandsire Doubles"}, {2, "Bob"}}, doublesLeadHead)[doublesLeadHead], "14523");
    EXPECT_EQ(Ring(5, {{0, "Go Grandsire Doubles"}, {2, "Single"}}, doublesLeadHead)[doublesLeadHead], "15423");
}

TEST(MethodCalls, StedmanCallsTakeEffectAtSixEnds) {
    // The first six end is the third change; the next one six changes later.
    const long firstSixEnd = kFirstMethodRow + 2;
    const long secondSixEnd = kFirstMethodRow + 8;
    const auto plain = Ring(8, {{0, "Go Stedman Triples"}}, secondSixEnd);
    const auto bob = Ring(8, {{0, "Go Stedman Triples"}, {2, "Bob"}}, secondSixEnd);
    EXPECT_EQ(plain[firstSixEnd], "32416578");
    EXPECT_EQ(bob[firstSixEnd], "32415768");
    // Called during the six end itself: the single waits for the next one.
    const auto single = Ring(8, {{0, "Go Stedman Triples"}, {firstSixEnd, "Single"}}, secondSixEnd);
    EXPECT_EQ(single[firstSixEnd], plain[firstSixEnd]);
    EXPECT_EQ(single[secondSixEnd], "43621758");
    EXPECT_NE(plain[secondSixEnd], single[secondSixEnd]);
    // Doubles has singles only.
    const auto doubles = robot::FindMethod("Stedman Doubles");
    EXPECT_FALSE(doubles->bob);
    EXPECT_EQ(robot::ChangeText(doubles->single->changes.at(0)), "345");
}

TEST(MethodCalls, OddStagesRingWithTheTenorCovering) {
    const long leadHead = kFirstMethodRow + 9;
    EXPECT_EQ(Ring(6, {{0, "Go Plain Bob Doubles"}}, leadHead)[leadHead], "135246");
    EXPECT_EQ(Ring(6, {{0, "Go Plain Bob Doubles"}, {5, "Bob"}}, leadHead)[leadHead], "123546");
    EXPECT_EQ(Ring(6, {{0, "Go Plain Bob Doubles"}, {5, "Single"}}, leadHead)[leadHead], "132456");
    struct Covered {
        const char* method;
        int bells;
        long courseRows;
    };
    for (const Covered& c : std::initializer_list<Covered>{{"Go Plain Bob Doubles", 6, 40},
                                                           {"Go Stedman Triples", 8, 84},
                                                           {"Go Grandsire Caters", 10, 126},
                                                           {"Go Grandsire Cinques", 12, 198}}) {
        const auto rows = Ring(c.bells, {{0, c.method}}, kFirstMethodRow + c.courseRows - 1);
        const char tenor = robot::BellSymbol(c.bells);
        for (const std::string& row : rows) ASSERT_EQ(row.back(), tenor) << c.method << " " << row;
        // The plain course comes round on its last row.
        EXPECT_EQ(rows.back(), robot::Row::Rounds(c.bells).Symbols()) << c.method;
        EXPECT_NE(rows[rows.size() - 2], rows.back()) << c.method;
    }
}

}  // namespace
