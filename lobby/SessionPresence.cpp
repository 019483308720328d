// Joining a tower, the ringers present, chat and calls, as the session
// follows them.
#include "tower/TowerSession.h"

void TowerSession::OnConnected() {
    sink_.Queue(wire::Build(wire::Hello{}));
    towerList.clear();
}

bool TowerSession::OnTowerListEntry(const wire::TowerListEntry& message) {
    // With no towers the server sends one entry with count 0 and no name.
    if (!message.name.empty()) towerList[std::string(message.name)] = message.description;
    // The count is signed: one above 32767 can never match the list.
    return message.count == static_cast<std::ptrdiff_t>(towerList.size());
}

void TowerSession::StartTower(const std::string& tower, const std::string& description, const std::string& userName) {
    ownName = userName;
    sink_.Queue(wire::Build(wire::StartTower{tower, description, userName}));
}

void TowerSession::JoinTower(const std::string& tower, const std::string& userName) {
    ownName = userName;
    sink_.Queue(wire::Build(wire::JoinTower{tower, userName}));
}

void TowerSession::OnTowerEntered(const wire::TowerEntered& message) {
    // The records of the tower follow; item ids keep counting.
    ringers.ClearRingers();
    bellCount = 0;
    currentTower = message.tower;
}

RingerChange TowerSession::OnRingerInfo(const wire::RingerInfo& message) {
    // The count first, so that a relayout below already uses it.
    bellCount = message.bellCount;
    const std::string name(message.name);
    const std::string bells(message.bells);

    RingerChange change;
    Ringer* ringer = ringers.FindRinger(name);
    if (ringer == nullptr) {
        ringer = &ringers.AddRinger(name, bells, message.conductor);
        change.row = RingerChange::Row::Added;
        // A newcomer who rings nothing and does not conduct moves no bell.
        change.laidOut = !bells.empty() || message.conductor;
    } else {
        ringer->name = name;
        ringer->bells = bells;
        ringer->conductor = message.conductor;
        change.row = RingerChange::Row::Updated;
        if (ringer->itemId == 0) {
            // The user's own record, made before the server announced the
            // user, has no row yet: it gets one as a newcomer would.
            ringer->itemId = ++ringers.lastItemId;
            change.row = RingerChange::Row::Added;
        }
        change.laidOut = true;
    }
    change.ringer = ringer;
    change.itemId = ringer->itemId;
    if (change.laidOut) LayOutBells();
    // After the relayout, so that the slots carry the new bell numbers.
    SetSlotRinger(slots, name, bells);
    change.sortRows = true;
    return change;
}

RingerChange TowerSession::OnRingerLeft(const wire::RingerLeft& message) {
    RingerChange change;
    const std::string name(message.name);
    const Ringer* ringer = ringers.FindRinger(name);
    if (ringer == nullptr) return change;
    change.row = RingerChange::Row::Removed;
    change.itemId = ringer->itemId;
    change.laidOut = !ringer->bells.empty() || ringer->conductor;
    // The slots keep the name: a ping later credited to it is dropped.
    ringers.RemoveRinger(name);
    if (change.laidOut) LayOutBells();
    return change;
}

bool TowerSession::SendChat(const std::string& line) {
    if (line.empty()) return false;
    // The line shows when the server relays it back.
    sink_.Queue(wire::Build(wire::Chat{ownName, line}));
    return true;
}

bool TowerSession::SendCall(const std::string& text) {
    // Only a conductor calls; everybody else's call is dropped.
    if (!ringers.RingerFor(ownName).conductor || text.empty()) return false;
    sink_.Queue(wire::Build(wire::Call{text}));
    return true;
}

void TowerSession::OnChat(const wire::Chat& message) {
    for (TowerListener* listener : listeners_) listener->OnChat(message.name, message.line);
}

void TowerSession::OnCall(const wire::Call& message) {
    for (TowerListener* listener : listeners_) listener->OnCall(message.text);
}
