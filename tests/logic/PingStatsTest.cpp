#include <gtest/gtest.h>

#include <cstdint>

#include "ringing/PingStats.h"

namespace {

TEST(PingStats, NewStatisticsShowNothing) {
    const PingStats stats;
    EXPECT_EQ(stats.ColumnText(), "");
    EXPECT_EQ(stats.min, 32767);
    EXPECT_EQ(stats.max, 0);
}

TEST(PingStats, FirstSampleIsEveryStatistic) {
    PingStats stats;
    stats.Record(57);
    EXPECT_EQ(stats.ColumnText(), "57 (0) 57 57 57 (0)");
}

TEST(PingStats, AgesCountFromTheNewestAndRmsRoundsDown) {
    PingStats stats;
    stats.Record(100);
    stats.Record(200);
    stats.Record(300);
    EXPECT_EQ(stats.ColumnText(), "100 (2) 200 216 300 (0)");
}

TEST(PingStats, AverageAndRmsDropTheFraction) {
    PingStats stats;
    stats.Record(10);
    stats.Record(11);
    EXPECT_EQ(stats.ColumnText(), "10 (1) 10 10 11 (0)");
}

TEST(PingStats, EqualExtremeBecomesTheNewest) {
    PingStats stats;
    stats.Record(100);
    stats.Record(300);
    stats.Record(200);
    stats.Record(300);
    EXPECT_EQ(stats.max, 300);
    EXPECT_EQ(stats.maxAge, 0);
    stats.Record(100);
    EXPECT_EQ(stats.min, 100);
    EXPECT_EQ(stats.minAge, 0);
    EXPECT_EQ(stats.maxAge, 1);
}

TEST(PingStats, DroppingTheOldestMaximumFindsTheNextOneByItsPosition) {
    PingStats stats;
    stats.Record(1000);
    for (int value = 101; value <= 199; ++value) {
        stats.Record(static_cast<std::int16_t>(value));
    }
    ASSERT_EQ(stats.samples.size(), 100u);
    EXPECT_EQ(stats.max, 1000);
    EXPECT_EQ(stats.maxAge, 99);

    stats.Record(150);  // the 101st pushes 1000 out
    EXPECT_EQ(stats.samples.size(), 100u);
    // Newest first: 150, 199, 198, ..., 101.
    EXPECT_EQ(stats.max, 199);
    EXPECT_EQ(stats.maxAge, 1);
    EXPECT_EQ(stats.min, 101);
    EXPECT_EQ(stats.minAge, 99);
    // (150 + 101 + ... + 199) / 100 = 15000 / 100.
    EXPECT_EQ(stats.sum, 15000u);
}

TEST(PingStats, DroppingTheOldestMinimumRescansToTheNewestOfEqualMaxima) {
    PingStats stats;
    stats.Record(1);
    stats.Record(300);
    stats.Record(300);
    for (int i = 0; i < 98; ++i) {
        stats.Record(100);
    }
    // 1 dropped; newest first: 98 x 100, then 300 at 98 and 300 at 99.
    // Sum 10400, squares 1160000: average 104, RMS floor(sqrt(11600)) = 107.
    EXPECT_EQ(stats.ColumnText(), "100 (0) 104 107 300 (98)");
}

TEST(PingStats, DroppingAnOrdinarySampleKeepsTheExtremesAndTheirAges) {
    PingStats stats;
    stats.Record(50);
    stats.Record(10);
    stats.Record(90);
    for (int i = 0; i < 98; ++i) {
        stats.Record(50);  // the last of these pushes the first 50 out
    }
    EXPECT_EQ(stats.ColumnText(), "10 (99) 50 50 90 (98)");
}

TEST(PingStats, SumsWrapAroundAndComeBackWhenSamplesLeave) {
    PingStats stats;
    for (int i = 0; i < 100; ++i) {
        stats.Record(32766);
    }
    // 100 * 32766^2 = 107361075600, which is 4281860496 modulo 2^32.
    EXPECT_EQ(stats.sumOfSquares, 4281860496u);
    // The wrapped sum shows as it is: floor(sqrt(42818604)) = 6543.
    EXPECT_EQ(stats.ColumnText(), "32766 (0) 32766 6543 32766 (0)");

    for (int i = 0; i < 100; ++i) {
        stats.Record(10);
    }
    EXPECT_EQ(stats.sum, 1000u);
    EXPECT_EQ(stats.sumOfSquares, 10000u);
    EXPECT_EQ(stats.ColumnText(), "10 (0) 10 10 10 (0)");
}

TEST(IntegerSqrt, IsTheLargestRootNotAboveTheValue) {
    EXPECT_EQ(IntegerSqrt(0), 0u);
    EXPECT_EQ(IntegerSqrt(3), 1u);
    EXPECT_EQ(IntegerSqrt(4), 2u);
    EXPECT_EQ(IntegerSqrt(46666), 216u);
    EXPECT_EQ(IntegerSqrt(65535u * 65535u), 65535u);
    EXPECT_EQ(IntegerSqrt(65535u * 65535u - 1), 65534u);
    EXPECT_EQ(IntegerSqrt(4294967295u), 65535u);
}

}  // namespace
