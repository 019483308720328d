// A ringer's statistics over the last 100 reported pings.
#include <gtest/gtest.h>

#include "ringing/PingStats.h"

namespace {

std::string After(std::initializer_list<int> samples) {
    PingStats stats;
    for (const int s : samples) stats.Record(static_cast<std::int16_t>(s));
    return stats.ColumnText();
}

TEST(PingStats, ShowMinimumAverageRmsAndMaximumWithTheAgesOfTheExtremes) {
    EXPECT_EQ(After({}), "");
    EXPECT_EQ(After({57}), "57 (0) 57 57 57 (0)");
    EXPECT_EQ(After({100, 200, 300}), "100 (2) 200 216 300 (0)");
    EXPECT_EQ(After({10, 11}), "10 (1) 10 10 11 (0)");  // fractions dropped
    // The newest of equal extremes is the one shown.
    EXPECT_EQ(After({100, 300, 200, 300, 100}), "100 (0) 200 219 300 (1)");
}

TEST(PingStats, TheHundredAndFirstSampleDropsTheOldestAndAnExtremeIsSoughtAgain) {
    PingStats stats;
    stats.Record(1000);
    for (int value = 101; value <= 199; ++value) stats.Record(static_cast<std::int16_t>(value));
    EXPECT_EQ(stats.maxAge, 99);
    stats.Record(150);  // 1000 goes; newest first: 150, 199, ..., 101
    EXPECT_EQ(stats.Count(), 100u);
    EXPECT_EQ(stats.ColumnText(), "101 (99) 150 152 199 (1)");

    // A dropped minimum: the newest of two equal maxima is found.
    PingStats again;
    for (const int s : {1, 300, 300}) again.Record(static_cast<std::int16_t>(s));
    for (int i = 0; i < 98; ++i) again.Record(100);
    EXPECT_EQ(again.ColumnText(), "100 (0) 104 107 300 (98)");
    // An ordinary sample dropped: the extremes keep their ages.
    PingStats plain;
    for (const int s : {50, 10, 90}) plain.Record(static_cast<std::int16_t>(s));
    for (int i = 0; i < 98; ++i) plain.Record(50);
    EXPECT_EQ(plain.ColumnText(), "10 (99) 50 50 90 (98)");
}

TEST(PingStats, SumsWrapAtThirtyTwoBitsAndComeBackAsSamplesLeave) {
    PingStats stats;
    for (int i = 0; i < 100; ++i) stats.Record(32766);
    // 100 * 32766^2 modulo 2^32; the wrapped sum shows as it is.
    EXPECT_EQ(stats.sumOfSquares, 4281860496u);
    EXPECT_EQ(stats.ColumnText(), "32766 (0) 32766 6543 32766 (0)");
    for (int i = 0; i < 100; ++i) stats.Record(10);
    EXPECT_EQ(stats.ColumnText(), "10 (0) 10 10 10 (0)");
    EXPECT_EQ(IntegerSqrt(4294967295u), 65535u);
    EXPECT_EQ(IntegerSqrt(65535u * 65535u - 1), 65534u);
}

}  // namespace
