// The method engine: place notation in the forms ringers write it, wrong
// notations refused with a message that says what is wrong and where, and
// every method of the library against its published first lead head and
// plain-course length (a wrong change anywhere in a notation shows there).
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "tools/robot/MethodLibrary.h"
#include "tools/robot/PlaceNotation.h"

namespace {

using robot::ChangeText;
using robot::FindMethod;
using robot::ParsePlaceNotation;

// The changes of a notation written out one by one: "x.16.x.12".
std::string Written(const char* notation, int stage) {
    const auto parsed = ParsePlaceNotation(notation, stage);
    if (!parsed.Ok()) return "error: " + parsed.error;
    std::string text;
    for (const auto& change : parsed.changes) text += (text.empty() ? "" : ".") + ChangeText(change);
    return text;
}

// True when `text` holds every part of `parts`, separated by "|".
bool HoldsAll(const std::string& text, std::string_view parts) {
    for (;;) {
        const std::size_t bar = parts.find('|');
        if (text.find(parts.substr(0, bar)) == std::string::npos) return false;
        if (bar == std::string_view::npos) return true;
        parts.remove_prefix(bar + 1);
    }
}

TEST(PlaceNotation, NotationsAsRingersWriteThemGiveTheirChangesAndWrongOnesSayWhatAndWhere) {
    for (const char* form : {"x16x16x16,12", "-16-16-16,12", "X16X16X16,12", "&x16x16x16,+12", "&-1-1-1,2", "&x1x1x1-2",
                             "x16x16x16x16x16x12", "x.16.x.16.x.16.x.16.x.16.x.12", "x 16 x 16 x 16, 12"}) {
        EXPECT_EQ(Written(form, 6), "x.16.x.16.x.16.x.16.x.16.x.12") << form;
    }
    // The changes written out, or "error: " and the parts of the error separated by "|".
    const std::vector<std::tuple<const char*, int, std::string>> cases = {
        {"3,1.5.1.5.1", 5, "3.1.5.1.5.1.5.1.5.1"},  // both blocks palindromes, one change is itself
        {"x1t.et,12", 12, "x.1T.ET.1T.x.12"},       // lower-case symbols above 9
        {"x10,10", 10, "x.10.x.10"},                // 0 for ten
        {"1.2.4.5", 6, "16.12.14.56"},              // places implied at the ends are added
        {"3.1.5", 5, "3.1.5"},                      // odd stages make one place anyway
        {"14.1", 7, "147.1"},
        {"12", 5, "125"},
        {"+x.14,&x.16.x", 6, "x.14.x.16.x.16.x"},  // asymmetric and symmetric blocks mix
        {"&34.1", 6, "34.16.34"},
        {"x16x17,12", 6, "error: place '7'|character 6|above the stage of 6"},
        {"x13x16,12", 6, "error: places 1 and 3|character 2|odd number of bells"},
        {"x16y16,12", 6, "error: unknown character 'y'|character 4"},
        {"", 6, "error: empty"},
        {"   ", 6, "error: empty"},
        {"x16,,12", 6, "error: empty block|character 5"},
        {"x1&6", 6, "error: '&'|character 3|start a block"},
        {"x.16", 5, "error: a cross|character 1|even number of bells"},
        {"x1616", 6, "error: place '1'|twice"},
        {"x16", 13, "error: stage must be"},
    };
    for (const auto& [notation, stage, expected] : cases) {
        const std::string written = Written(notation, stage);
        const bool refused = expected.starts_with("error: ");
        EXPECT_TRUE(refused ? written.starts_with("error: ") && HoldsAll(written, expected.substr(7))
                            : written == expected)
            << notation << ": " << written;
    }
}

// Name, first lead head, plain-course length.
const std::vector<std::tuple<std::string, std::string, int>> kPublished = {
    {"Plain Bob Doubles", "13524", 40},
    {"Plain Bob Minor", "135264", 60},
    {"Plain Bob Triples", "1352746", 84},
    {"Plain Bob Major", "13527486", 112},
    {"Plain Bob Caters", "135274968", 144},
    {"Plain Bob Royal", "1352749608", 180},
    {"Plain Bob Cinques", "13527496E80", 220},
    {"Plain Bob Maximus", "13527496E8T0", 264},
    {"Grandsire Doubles", "12534", 30},
    {"Grandsire Triples", "1253746", 70},
    {"Grandsire Caters", "125374968", 126},
    {"Grandsire Cinques", "12537496E80", 198},
    {"Stedman Doubles", "53412", 60},
    {"Stedman Triples", "6347251", 84},
    {"Little Bob Minor", "164523", 40},
    {"Little Bob Major", "16482735", 56},
    {"Kent Treble Bob Minor", "142635", 120},
    {"Kent Treble Bob Major", "14263857", 224},
    {"Oxford Treble Bob Minor", "142635", 120},
    {"Oxford Treble Bob Major", "14263857", 224},
    {"St Clement's College Bob Minor", "142635", 60},
    {"Double Norwich Court Bob Major", "18674523", 112},
    {"Cambridge Surprise Minor", "156342", 120},
    {"Cambridge Surprise Major", "15738264", 224},
    {"Cambridge Surprise Royal", "1573920486", 360},
    {"Cambridge Surprise Maximus", "157392E4T608", 528},
    {"Yorkshire Surprise Major", "15738264", 224},
    {"Yorkshire Surprise Royal", "1573920486", 360},
    {"Yorkshire Surprise Maximus", "157392E4T608", 528},
    {"Lincolnshire Surprise Major", "15738264", 224},
    {"Superlative Surprise Major", "15738264", 224},
    {"Rutland Surprise Major", "14263857", 224},
    {"London Surprise Major", "14263857", 224},
    {"Pudsey Surprise Major", "15738264", 224},
    {"Bristol Surprise Major", "14263857", 224},
    {"Bristol Surprise Royal", "1352749608", 360},
    {"Bristol Surprise Maximus", "1795E3T20486", 528},
};

TEST(MethodLibrary, EveryMethodHasItsPublishedLeadHeadAndCourseLength) {
    for (const auto& [name, leadHead, courseRows] : kPublished) {
        const auto method = FindMethod(name);
        ASSERT_TRUE(method) << name;
        EXPECT_EQ(method->name, name);
        EXPECT_EQ(method->LeadHead().Symbols(), leadHead) << name;
        EXPECT_EQ(method->PlainCourseLength(), courseRows) << name;
    }
    // The table holds nothing that the published list does not check.
    EXPECT_EQ(robot::MethodTable().size(), kPublished.size());
}

TEST(MethodLibrary, NamesMatchAsRingersWriteThemWithOrWithoutTheStage) {
    // Tower bells 0: the name must give the stage; otherwise it takes the
    // tower's, or one fewer. Apostrophes and full stops are optional.
    for (const auto& [written, towerBells, expected] : {
             std::tuple{"  Cambridge   Surprise MINOR ", 0, "Cambridge Surprise Minor"},
             {"St Clements College Bob Minor", 0, "St Clement's College Bob Minor"},
             {"St. Clement\u2019s College Bob Minor", 0, "St Clement's College Bob Minor"},
             {"Cambridge Surprise", 0, ""},
             {"Cambridge Surprise Minorx", 0, ""},
             {"Plain Bob", 8, "Plain Bob Major"},
             {"grandsire", 8, "Grandsire Triples"},
             {"Bristol Surprise", 12, "Bristol Surprise Maximus"},
             {"Bristol Surprise", 6, ""},
             {"Stedman", 4, ""},
         }) {
        const auto method = FindMethod(written, towerBells);
        EXPECT_EQ(method ? method->name : "", expected) << written << " on " << towerBells;
    }
    // A name is known with its stage or without, as the library spells it.
    EXPECT_EQ(robot::KnownMethodName("  cambridge surprise "), "Cambridge Surprise");
    EXPECT_FALSE(robot::KnownMethodName("Cambridge Surprise Triples"));
}

}  // namespace
