// What a run with link delays says of latency balancing: when each ringer
// hears their own strikes, and whether all listeners hear the same gaps
// between strikes. Only strikes sent after the settling time are measured.
#pragma once

#include <cstdint>
#include <vector>

namespace load {

struct BalanceSummary {
    std::uint64_t strikes = 0;        // measured
    std::vector<double> ownMedianMs;  // per ringer of a tower, over all towers
    double spreadMs = 0;              // largest of ownMedianMs less the smallest
    double delayMs = 0;               // L: the own-strike median of the ringers on the slowest link
    double ownOffP99Ms = 0;           // p99 of |own-strike delay - L|
    double gapDisagreementP50Us = 0;  // per pair of strikes following each other in a tower:
    double gapDisagreementP99Us = 0;  // the largest gap heard between them less the smallest
    double gapDisagreementMaxUs = 0;
    std::uint64_t gaps = 0;
};

class BalanceLog {
public:
    // `linkRoundTripMs[r]`: the delay added to ringer r's link (up and down)
    // in every tower. Strikes sent from `measureFromNs` on are measured.
    BalanceLog(int towers, std::vector<double> linkRoundTripMs, std::uint64_t measureFromNs);

    // The `sequence`-th strike of ringer `ringer` of `tower` was struck at
    // `nowNs`: when a link without delay would have taken it. Call in order.
    void Sent(int tower, int ringer, std::uint16_t sequence, std::uint64_t nowNs);
    // Its first delivery to ringer `receiver`.
    void Arrived(int tower, int receiver, int sender, std::uint16_t sequence, std::uint64_t nowNs);

    BalanceSummary Summarize() const;

private:
    struct Strike {
        int tower;
        int sender;
        std::uint64_t sentNs;
    };
    int Record(int tower, int sender, std::uint16_t sequence) const;

    int ringers_;
    std::vector<double> linkRoundTripMs_;
    std::uint64_t measureFromNs_;
    std::vector<std::vector<int>> records_;  // per ringer of every tower: its k-th strike's record, or -1
    std::vector<Strike> strikes_;            // measured strikes in the order sent
    std::vector<std::uint64_t> arrivals_;    // [record][receiver]; 0 until it arrives
};

}  // namespace load
