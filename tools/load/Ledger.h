// The load tool's accounting: every strike sent, keyed by its sender and
// sequence number, against its arrival at every client of the tower. It finds
// lost, repeated, out-of-order and unknown deliveries and keeps the latency of
// each first delivery, split into the sender's echo and the others' copies.
#pragma once

#include <cstdint>
#include <vector>

namespace load {

struct Faults {
    std::uint64_t lost = 0;        // expected deliveries that never came
    std::uint64_t duplicates = 0;  // a strike that reached the same client twice
    std::uint64_t reordered = 0;   // a strike that came after a later one of its sender
    std::uint64_t unknown = 0;     // a strike nobody sent: bad bell or sequence number
    std::uint64_t Total() const { return lost + duplicates + reordered + unknown; }
};

class Ledger {
public:
    Ledger(int towers, int ringersPerTower);

    // Notes a strike that ringer `ringer` of `tower` sends now; returns its
    // sequence number (1, 2, ... wrapping after 65535 to 0).
    std::uint16_t Send(int tower, int ringer, std::uint64_t nowNs);

    // A strike seen by client `receiver` of `tower` that says it comes from
    // ringer `sender` with sequence number `seq`. Returns its latency in
    // nanoseconds for a first delivery, -1 for a faulty one.
    std::int64_t Arrive(int tower, int receiver, int sender, std::uint16_t seq, std::uint64_t nowNs);

    std::uint64_t Strikes() const { return strikes_; }
    std::uint64_t Expected() const { return strikes_ * static_cast<std::uint64_t>(ringers_); }
    std::uint64_t Delivered() const { return delivered_; }
    bool AllDelivered() const { return delivered_ == Expected(); }

    // Faults so far; `lost` counts every expected delivery still missing, so
    // it is final once nothing more can arrive.
    Faults Tally() const;

    // Latency samples in nanoseconds (capped at about 4.29 s), in arrival order.
    std::vector<std::uint32_t>& EchoNs() { return echoNs_; }
    std::vector<std::uint32_t>& FanOutNs() { return fanOutNs_; }

private:
    struct SentStrike {
        std::uint64_t sentNs;
        std::uint32_t receivedBy;  // bit r: client r of the tower has it
    };

    int ringers_;
    std::vector<std::vector<SentStrike>> sent_;  // per ringer of every tower
    std::vector<std::int64_t> lastSeen_;         // [receiver][sender]: latest strike index seen
    std::uint64_t strikes_ = 0;
    std::uint64_t delivered_ = 0;
    Faults faults_;
    std::vector<std::uint32_t> echoNs_;
    std::vector<std::uint32_t> fanOutNs_;
};

}  // namespace load
