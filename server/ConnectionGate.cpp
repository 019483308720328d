#include "server/ConnectionGate.h"

namespace server {

void ConnectionGate::Finish(const TowerHall& hall, std::string_view input, const wire::FrameRun& run,
                            Clock::TimePoint now, Outcome& outcome) {
    if (outcome.protocolError) return;
    if (run.invalid) {
        const wire::Frame frame = wire::ScanFrame(input.substr(run.consumed), wire::kFromClient);
        outcome.protocolError = "length field " + std::to_string(frame.length) + " outside " +
                                std::to_string(wire::kHeaderSize) + " to " + std::to_string(wire::kMaxClientMessage);
        return;
    }
    kept_.assign(input.substr(run.consumed));
    if (!joinBy_ && hall.Greeted(id_)) {
        joinBy_ = now + timeouts_.join;
        outcome.joinBy = joinBy_;
    }
}

ConnectionGate::Overdue ConnectionGate::Check(const TowerHall& hall, Clock::TimePoint now) const {
    if (!hall.Greeted(id_)) return now >= helloBy_ ? Overdue::Hello : Overdue::No;
    // A ringer in a tower may be silent for hours; only the lobby has a time limit.
    if (joinBy_ && now >= *joinBy_ && !hall.InTower(id_)) return Overdue::Tower;
    return Overdue::No;
}

}  // namespace server
