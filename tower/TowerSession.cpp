// The session itself, its listeners and the allocation. Joining, the ringers
// present and chat are in lobby/SessionPresence.cpp; layout and striking in
// ringing/SessionRinging.cpp.
#include "tower/TowerSession.h"

#include <algorithm>

TowerSession::TowerSession(OutgoingSink& sink) : sink_(sink) {}

void TowerSession::AddListener(TowerListener& listener) { listeners_.push_back(&listener); }

void TowerSession::RemoveListener(TowerListener& listener) { std::erase(listeners_, &listener); }

void TowerSession::AppointSelf() {
    Ringer& own = ringers.RingerFor(ownName);
    if (own.conductor) return;
    own.conductor = true;
    sink_.Queue(wire::Build(wire::RingerInfo{bellCount, ownName, own.bells, true}));
}

void TowerSession::ApplyAllocation(const AllocationResult& allocation, const std::string& conductorName) {
    ::ApplyAllocation(allocation, conductorName, ringers.ringers);
    bellCount = static_cast<std::uint16_t>(allocation.bellCount);
}

void TowerSession::SendAllocation() {
    // Every client, this one too, changes its bells when the records come back.
    for (const auto& [key, ringer] : ringers.ringers) {
        sink_.Queue(wire::Build(wire::RingerInfo{bellCount, ringer.name, ringer.bells, ringer.conductor}));
    }
}
