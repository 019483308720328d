// The load tool's accounting, from which every figure of its report comes:
// what counts as lost, repeated, reordered or unknown, how latencies are split
// and ranked, and what a run with link delays says of latency balancing.
#include <gtest/gtest.h>

#include <vector>

#include "tools/load/BalanceLog.h"
#include "tools/load/Ledger.h"
#include "tools/load/Percentiles.h"

namespace {

using load::Ledger;

TEST(Ledger, CountsEveryDeliveryOnceAndSplitsEchoFromFanOut) {
    Ledger ledger(2, 3);
    const auto seq = ledger.Send(1, 2, 1000);
    EXPECT_EQ(ledger.Expected(), 3u);
    EXPECT_EQ(ledger.Arrive(1, 2, 2, seq, 1500), 500);  // the echo
    EXPECT_EQ(ledger.Arrive(1, 0, 2, seq, 1700), 700);
    EXPECT_FALSE(ledger.AllDelivered());
    EXPECT_EQ(ledger.Arrive(1, 1, 2, seq, 1900), 900);
    EXPECT_TRUE(ledger.AllDelivered());
    EXPECT_EQ(ledger.Tally().Total(), 0u);
    EXPECT_EQ(ledger.EchoNs(), std::vector<std::uint32_t>({500}));
    EXPECT_EQ(ledger.FanOutNs(), std::vector<std::uint32_t>({700, 900}));
}

TEST(Ledger, EachFaultOfARelayIsCountedOnceAsItsOwnKind) {
    struct Case {
        std::vector<std::uint16_t> seen;  // what ringer 1 gets of ringer 0's strikes 1, 2 and 3
        std::uint64_t lost, duplicates, reordered, unknown;
    };
    for (const Case& c : {Case{{1, 3}, 1, 0, 0, 0}, Case{{1, 2, 2, 3}, 0, 1, 0, 0}, Case{{2, 1, 3}, 0, 0, 1, 0},
                          Case{{1, 2, 3, 60000}, 0, 0, 0, 1}}) {
        Ledger ledger(1, 2);
        for (int i = 0; i < 3; ++i) ledger.Arrive(0, 0, 0, ledger.Send(0, 0, 0), 1);
        for (const std::uint16_t seq : c.seen) ledger.Arrive(0, 1, 0, seq, 1);
        const load::Faults faults = ledger.Tally();
        EXPECT_EQ(faults.lost, c.lost) << ::testing::PrintToString(c.seen);
        EXPECT_EQ(faults.duplicates, c.duplicates) << ::testing::PrintToString(c.seen);
        EXPECT_EQ(faults.reordered, c.reordered) << ::testing::PrintToString(c.seen);
        EXPECT_EQ(faults.unknown, c.unknown) << ::testing::PrintToString(c.seen);
    }
}

TEST(Ledger, SequenceNumbersWrapAfter65535) {
    Ledger ledger(1, 1);
    std::uint16_t seq = 0;
    for (int i = 0; i < 65537; ++i) seq = ledger.Send(0, 0, static_cast<std::uint64_t>(i));
    EXPECT_EQ(seq, 1);  // the 65537th strike
    EXPECT_EQ(ledger.Arrive(0, 0, 0, 65535, 70000), 70000 - 65534);
    EXPECT_EQ(ledger.Arrive(0, 0, 0, 1, 70000), 70000 - 65536);  // the newest with that number
    const auto faults = ledger.Tally();
    EXPECT_EQ(faults.reordered + faults.duplicates + faults.unknown, 0u);
    EXPECT_EQ(faults.lost, 65537u - 2);
}

TEST(Percentiles, RankByNearestRankAndReportMicroseconds) {
    std::vector<std::uint32_t> samples;
    for (std::uint32_t i = 1000; i >= 1; --i) samples.push_back(i * 1000);  // 1..1000 us, reversed
    const auto s = load::Summarize(samples);
    EXPECT_EQ(std::vector<double>({s.p50Us, s.p90Us, s.p99Us, s.p999Us, s.maxUs}),
              std::vector<double>({500, 900, 990, 999, 1000}));
}

TEST(BalanceLog, OwnDelaysAgainstTheSlowestLinkAndListenersDisagreeingOnGaps) {
    constexpr std::uint64_t kMs = 1'000'000;
    // Ringers 0 and 1 on links of 10 ms, ringer 2 on 80 ms; measured from 1 s on.
    load::BalanceLog log(1, {10, 10, 80}, 1000 * kMs);
    log.Sent(0, 0, 1, 500 * kMs);  // before the settling time: not measured
    for (int receiver = 0; receiver < 3; ++receiver) log.Arrived(0, receiver, 0, 1, 510 * kMs);

    // Strikes at 2 s, 3 s and 4 s by ringers 0, 1 and 2, who hear their own
    // after 80, 82 and 81 ms; each listener hears each strike at its own time.
    const std::uint64_t heard[3][3] = {{80, 90, 95}, {50, 82, 60}, {70, 78, 81}};  // [strike][receiver], ms after it
    for (int strike = 0; strike < 3; ++strike) {
        const auto sequence = static_cast<std::uint16_t>(strike == 0 ? 2 : 1);
        const std::uint64_t struck = (2000 + 1000 * static_cast<std::uint64_t>(strike)) * kMs;
        log.Sent(0, strike, sequence, struck);
        for (int receiver = 0; receiver < 3; ++receiver)
            log.Arrived(0, receiver, strike, sequence, struck + heard[strike][receiver] * kMs);
    }
    log.Arrived(0, 0, 0, 9, 5000 * kMs);  // a strike nobody sent is ignored

    const auto summary = log.Summarize();
    EXPECT_EQ(summary.strikes, 3u);
    EXPECT_EQ(summary.ownMedianMs, std::vector<double>({80, 82, 81}));
    EXPECT_DOUBLE_EQ(summary.delayMs, 81);  // the ringer on the slowest link
    EXPECT_DOUBLE_EQ(summary.spreadMs, 2);
    EXPECT_DOUBLE_EQ(summary.ownOffP99Ms, 1);
    // Gaps 1000+{-30,-8,-35} ms, then 1000+{20,-4,21} ms.
    EXPECT_EQ(summary.gaps, 2u);
    EXPECT_DOUBLE_EQ(summary.gapDisagreementP50Us, 25'000);
    EXPECT_DOUBLE_EQ(summary.gapDisagreementMaxUs, 27'000);
}

}  // namespace
