#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "lobby/RingerOrder.h"

namespace {

struct Row {
    std::string name;
    std::string bellsText;
};

std::vector<std::string> SortedNames(std::vector<Row> rows) {
    std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) {
        return CompareBellsColumnTexts(a.bellsText, b.bellsText) < 0;
    });
    std::vector<std::string> names;
    for (const Row& row : rows) {
        names.push_back(row.name);
    }
    return names;
}

TEST(BellsColumnText, AddsTheMarkerForAConductor) {
    EXPECT_EQ(BellsColumnText("12", true), "12 (c)");
    EXPECT_EQ(BellsColumnText("", true), " (c)");
    EXPECT_EQ(BellsColumnText("0ET", false), "0ET");
    EXPECT_EQ(BellsColumnText("", false), "");
}

TEST(CompareBellsColumnTexts, RowsGoByLowestBellWithoutBellsLast) {
    const std::vector<Row> rows = {
        {"Ben", BellsColumnText("34", false)},
        {"Ann", BellsColumnText("12", false)},
        {"Cy", BellsColumnText("", false)},
        {"Di", BellsColumnText("0ET", true)},
    };
    EXPECT_EQ(SortedNames(rows), (std::vector<std::string>{"Ann", "Ben", "Di", "Cy"}));
}

TEST(CompareBellsColumnTexts, BellTenSortsAfterBellNineAndBeforeElevenAndTwelve) {
    EXPECT_LT(CompareBellsColumnTexts("9", "0"), 0);
    EXPECT_GT(CompareBellsColumnTexts("0", "9"), 0);
    EXPECT_LT(CompareBellsColumnTexts("0", "E"), 0);
    EXPECT_LT(CompareBellsColumnTexts("E", "T"), 0);
    EXPECT_LT(CompareBellsColumnTexts("12", "123"), 0);  // a prefix goes first
}

TEST(CompareBellsColumnTexts, LoneMarkerComesAfterBellsAndBeforeEmptyRows) {
    for (const std::string bells : {"1", "9", "0", "T", "0ET", "T (c)"}) {
        EXPECT_GT(CompareBellsColumnTexts(" (c)", bells), 0) << bells;
        EXPECT_LT(CompareBellsColumnTexts(bells, " (c)"), 0) << bells;
    }
    EXPECT_LT(CompareBellsColumnTexts(" (c)", ""), 0);
    EXPECT_GT(CompareBellsColumnTexts("", " (c)"), 0);
    // A conductor ringing bells sorts after a plain ringer of the same bells.
    EXPECT_LT(CompareBellsColumnTexts("12", "12 (c)"), 0);
}

TEST(CompareBellsColumnTexts, EqualTextsTie) {
    EXPECT_EQ(CompareBellsColumnTexts("", ""), 0);
    EXPECT_EQ(CompareBellsColumnTexts("34", "34"), 0);
    EXPECT_EQ(CompareBellsColumnTexts(" (c)", " (c)"), 0);
    EXPECT_GT(CompareBellsColumnTexts("", "1"), 0);
    EXPECT_LT(CompareBellsColumnTexts("1", ""), 0);
}

}  // namespace
