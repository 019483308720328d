// A ringer's statistics over the last 100 reported pings, as the ping column
// shows them.
#include <gtest/gtest.h>

#include <vector>

#include "ringing/PingStats.h"

namespace {

std::vector<int> operator+(std::vector<int> first, const std::vector<int>& then) {
    first.insert(first.end(), then.begin(), then.end());
    return first;
}

TEST(PingStats, ShowMinimumAverageRmsAndMaximumOfTheLastHundredWithTheAgesOfTheExtremes) {
    std::vector<int> rising;
    for (int value = 101; value <= 199; ++value) rising.push_back(value);
    const std::vector<std::pair<std::vector<int>, const char*>> cases = {
        {{}, ""},
        {{57}, "57 (0) 57 57 57 (0)"},
        {{100, 200, 300}, "100 (2) 200 216 300 (0)"},
        {{10, 11}, "10 (1) 10 10 11 (0)"},                       // fractions dropped
        {{100, 300, 200, 300, 100}, "100 (0) 200 219 300 (1)"},  // the newest of equal extremes
        // The 101st sample drops the oldest; an extreme dropped is sought
        // again, the newest of equals; others keep their ages.
        {std::vector{1000} + rising + std::vector{150}, "101 (99) 150 152 199 (1)"},
        {std::vector{1, 300, 300} + std::vector(98, 100), "100 (0) 104 107 300 (98)"},
        {std::vector{50, 10, 90} + std::vector(98, 50), "10 (99) 50 50 90 (98)"},
        // The sums wrap at 32 bits (100 * 32766^2 shows as it is) and come
        // back as samples leave.
        {std::vector(100, 32766), "32766 (0) 32766 6543 32766 (0)"},
        {std::vector(100, 32766) + std::vector(100, 10), "10 (0) 10 10 10 (0)"},
    };
    for (const auto& [samples, shown] : cases) {
        PingStats stats;
        for (const int sample : samples) stats.Record(static_cast<std::int16_t>(sample));
        EXPECT_EQ(stats.ColumnText(), shown) << samples.size() << " samples";
    }
    EXPECT_EQ(IntegerSqrt(4294967295u), 65535u);
    EXPECT_EQ(IntegerSqrt(65535u * 65535u - 1), 65534u);
}

}  // namespace
