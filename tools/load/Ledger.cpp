#include "tools/load/Ledger.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

namespace load {

namespace {
constexpr int kMaxRingers = 32;  // width of SentStrike::receivedBy
}

Ledger::Ledger(int towers, int ringersPerTower) : ringers_(ringersPerTower) {
    if (towers < 1 || ringersPerTower < 1 || ringersPerTower > kMaxRingers)
        throw std::invalid_argument("ledger needs at least one tower and 1 to 32 ringers per tower");
    const auto clients = static_cast<std::size_t>(towers) * static_cast<std::size_t>(ringersPerTower);
    sent_.resize(clients);
    lastSeen_.assign(clients * static_cast<std::size_t>(ringersPerTower), -1);
}

std::uint16_t Ledger::Send(int tower, int ringer, std::uint64_t nowNs) {
    auto& mine = sent_[static_cast<std::size_t>(tower * ringers_ + ringer)];
    mine.push_back({nowNs, 0});
    ++strikes_;
    return static_cast<std::uint16_t>(mine.size());  // the n-th strike carries n, mod 65536
}

std::int64_t Ledger::Arrive(int tower, int receiver, int sender, std::uint16_t seq, std::uint64_t nowNs) {
    if (sender < 0 || sender >= ringers_) {
        ++faults_.unknown;
        return -1;
    }
    auto& mine = sent_[static_cast<std::size_t>(tower * ringers_ + sender)];
    // The latest strike whose number matches seq in its low 16 bits.
    const auto sentCount = static_cast<std::int64_t>(mine.size());
    const std::int64_t index = sentCount - 1 - ((sentCount - seq) & 0xFFFF);
    if (index < 0) {
        ++faults_.unknown;
        return -1;
    }
    auto& strike = mine[static_cast<std::size_t>(index)];
    const std::uint32_t bit = 1u << receiver;
    if (strike.receivedBy & bit) {
        ++faults_.duplicates;
        return -1;
    }
    strike.receivedBy |= bit;
    ++delivered_;

    auto& last = lastSeen_[static_cast<std::size_t>((tower * ringers_ + receiver) * ringers_ + sender)];
    if (index < last) ++faults_.reordered;
    else last = index;

    const std::uint64_t latency = nowNs - strike.sentNs;
    const auto sample =
        static_cast<std::uint32_t>(std::min<std::uint64_t>(latency, std::numeric_limits<std::uint32_t>::max()));
    (receiver == sender ? echoNs_ : fanOutNs_).push_back(sample);
    return static_cast<std::int64_t>(latency);
}

Faults Ledger::Tally() const {
    Faults faults = faults_;
    faults.lost = Expected() - delivered_;
    return faults;
}

}  // namespace load
