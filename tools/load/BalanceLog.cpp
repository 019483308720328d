#include "tools/load/BalanceLog.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace load {

namespace {

// The smallest value at or above fraction q of them (nearest rank); sorts them.
double Rank(std::vector<double>& values, double q) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const auto rank = static_cast<std::size_t>(std::ceil(q * static_cast<double>(values.size())));
    return values[std::clamp<std::size_t>(rank, 1, values.size()) - 1];
}

}  // namespace

BalanceLog::BalanceLog(int towers, std::vector<double> linkRoundTripMs, std::uint64_t measureFromNs)
    : ringers_(static_cast<int>(linkRoundTripMs.size())),
      linkRoundTripMs_(std::move(linkRoundTripMs)),
      measureFromNs_(measureFromNs),
      records_(static_cast<std::size_t>(towers) * linkRoundTripMs_.size()) {}

void BalanceLog::Sent(int tower, int ringer, std::uint16_t sequence, std::uint64_t nowNs) {
    auto& mine = records_[static_cast<std::size_t>(tower * ringers_ + ringer)];
    // A run measured here is far shorter than 65,535 strikes of one ringer:
    // the k-th strike carries k.
    if (sequence != mine.size() + 1) return;
    if (nowNs < measureFromNs_) {
        mine.push_back(-1);
        return;
    }
    mine.push_back(static_cast<int>(strikes_.size()));
    strikes_.push_back({tower, ringer, nowNs});
    arrivals_.resize(arrivals_.size() + static_cast<std::size_t>(ringers_), 0);
}

int BalanceLog::Record(int tower, int sender, std::uint16_t sequence) const {
    if (sender < 0 || sender >= ringers_ || sequence == 0) return -1;
    const auto& mine = records_[static_cast<std::size_t>(tower * ringers_ + sender)];
    return sequence <= mine.size() ? mine[sequence - 1u] : -1;
}

void BalanceLog::Arrived(int tower, int receiver, int sender, std::uint16_t sequence, std::uint64_t nowNs) {
    const int record = Record(tower, sender, sequence);
    if (record >= 0) arrivals_[static_cast<std::size_t>(record * ringers_ + receiver)] = nowNs;
}

BalanceSummary BalanceLog::Summarize() const {
    BalanceSummary summary;
    summary.strikes = strikes_.size();
    std::vector<std::vector<double>> own(static_cast<std::size_t>(ringers_));  // ms, per ringer
    for (std::size_t record = 0; record < strikes_.size(); ++record) {
        const Strike& strike = strikes_[record];
        const auto echo =
            arrivals_[record * static_cast<std::size_t>(ringers_) + static_cast<std::size_t>(strike.sender)];
        if (echo)
            own[static_cast<std::size_t>(strike.sender)].push_back(static_cast<double>(echo - strike.sentNs) / 1e6);
    }
    const double slowestLink = *std::max_element(linkRoundTripMs_.begin(), linkRoundTripMs_.end());
    std::vector<double> slowest;
    for (int ringer = 0; ringer < ringers_; ++ringer) {
        auto delays = own[static_cast<std::size_t>(ringer)];
        summary.ownMedianMs.push_back(Rank(delays, 0.5));
        if (linkRoundTripMs_[static_cast<std::size_t>(ringer)] == slowestLink)
            slowest.insert(slowest.end(), delays.begin(), delays.end());
    }
    const auto [least, most] = std::minmax_element(summary.ownMedianMs.begin(), summary.ownMedianMs.end());
    summary.spreadMs = *most - *least;
    summary.delayMs = Rank(slowest, 0.5);
    std::vector<double> off;
    for (const auto& delays : own)
        for (const double delay : delays) off.push_back(std::abs(delay - summary.delayMs));
    summary.ownOffP99Ms = Rank(off, 0.99);

    // Each strike against the one sent before it in the same tower.
    std::vector<double> disagreements;  // us
    std::vector<int> previous;          // per tower: its latest strike's record
    for (std::size_t record = 0; record < strikes_.size(); ++record) {
        const auto tower = static_cast<std::size_t>(strikes_[record].tower);
        if (previous.size() <= tower) previous.resize(tower + 1, -1);
        const int before = std::exchange(previous[tower], static_cast<int>(record));
        if (before < 0) continue;
        double shortest = 0, longest = 0;
        int heard = 0;
        for (int receiver = 0; receiver < ringers_; ++receiver) {
            const auto a = arrivals_[static_cast<std::size_t>(before * ringers_ + receiver)];
            const auto b = arrivals_[record * static_cast<std::size_t>(ringers_) + static_cast<std::size_t>(receiver)];
            if (!a || !b) continue;
            const double gap = static_cast<double>(b) - static_cast<double>(a);
            shortest = heard ? std::min(shortest, gap) : gap;
            longest = heard ? std::max(longest, gap) : gap;
            ++heard;
        }
        if (heard >= 2) disagreements.push_back((longest - shortest) / 1e3);
    }
    summary.gaps = disagreements.size();
    summary.gapDisagreementP50Us = Rank(disagreements, 0.5);
    summary.gapDisagreementP99Us = Rank(disagreements, 0.99);
    summary.gapDisagreementMaxUs = disagreements.empty() ? 0 : disagreements.back();
    return summary;
}

}  // namespace load
