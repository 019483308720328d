// Place notation in the forms ringers write it, and wrong notations refused
// with a message that says what is wrong and where.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/robot/PlaceNotation.h"

namespace {

using robot::ChangeText;
using robot::ParsePlaceNotation;

// The changes of a notation written out one by one: "x.16.x.12".
std::string Written(const char* notation, int stage) {
    const auto parsed = ParsePlaceNotation(notation, stage);
    if (!parsed.Ok()) return "error: " + parsed.error;
    std::string text;
    for (const auto& change : parsed.changes) text += (text.empty() ? "" : ".") + ChangeText(change);
    return text;
}

std::string ErrorOf(const char* notation, int stage) { return ParsePlaceNotation(notation, stage).error; }

TEST(PlaceNotation, NotationsAsRingersWriteThemGiveTheirChanges) {
    for (const char* form : {"x16x16x16,12", "-16-16-16,12", "X16X16X16,12", "&x16x16x16,+12", "&-1-1-1,2", "&x1x1x1-2",
                             "x16x16x16x16x16x12", "x.16.x.16.x.16.x.16.x.16.x.12", "x 16 x 16 x 16, 12"}) {
        EXPECT_EQ(Written(form, 6), "x.16.x.16.x.16.x.16.x.16.x.12") << form;
    }
    struct Case {
        const char* notation;
        int stage;
        const char* written;
    };
    for (const Case& c : {
             Case{"3,1.5.1.5.1", 5, "3.1.5.1.5.1.5.1.5.1"},  // both blocks palindromes, one change is itself
             Case{"x1t.et,12", 12, "x.1T.ET.1T.x.12"},       // lower-case symbols above 9
             Case{"x10,10", 10, "x.10.x.10"},                // 0 for ten
             Case{"1.2.4.5", 6, "16.12.14.56"},              // places implied at the ends are added
             Case{"3.1.5", 5, "3.1.5"},                      // odd stages make one place anyway
             Case{"14.1", 7, "147.1"},
             Case{"12", 5, "125"},
             Case{"+x.14,&x.16.x", 6, "x.14.x.16.x.16.x"},  // asymmetric and symmetric blocks mix
             Case{"&34.1", 6, "34.16.34"},
         }) {
        EXPECT_EQ(Written(c.notation, c.stage), c.written) << c.notation;
    }
}

TEST(PlaceNotation, WrongNotationsSayWhatAndWhere) {
    struct Case {
        const char* notation;
        int stage;
        std::vector<std::string> saying;
    };
    const std::vector<Case> cases = {
        {"x16x17,12", 6, {"place '7'", "character 6", "above the stage of 6"}},
        {"x13x16,12", 6, {"places 1 and 3", "character 2", "odd number of bells"}},
        {"x16y16,12", 6, {"unknown character 'y'", "character 4"}},
        {"", 6, {"empty"}},
        {"   ", 6, {"empty"}},
        {"x16,,12", 6, {"empty block", "character 5"}},
        {"x1&6", 6, {"'&'", "character 3", "start a block"}},
        {"x.16", 5, {"a cross", "character 1", "even number of bells"}},
        {"x1616", 6, {"place '1'", "twice"}},
        {"x16", 13, {"stage must be"}},
    };
    for (const Case& c : cases) {
        const std::string error = ErrorOf(c.notation, c.stage);
        ASSERT_FALSE(error.empty()) << c.notation;
        for (const std::string& part : c.saying) {
            EXPECT_NE(error.find(part), std::string::npos) << c.notation << ": " << error << " lacks " << part;
        }
    }
}

TEST(PlaceNotation, OneChangeForCalls) {
    const auto bob = robot::ParseChange("14", 8);
    ASSERT_TRUE(bob.Ok());
    EXPECT_EQ(ChangeText(bob.changes[0]), "14");
    EXPECT_FALSE(robot::ParseChange("14.16", 8).Ok());
}

}  // namespace
