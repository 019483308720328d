#include "tower/RingerTable.h"

int CompareNames(std::string_view a, std::string_view b) {
    // char_traits<char> compares characters as unsigned char, and a prefix
    // sorts first: exactly the byte order of the table.
    return a.compare(b);
}

bool RingsBell(std::string_view bells, int bell) {
    if (bell < 1 || bell > static_cast<int>(BellSymbols.size())) {
        return false;
    }
    return bells.find(BellSymbols[bell - 1]) != std::string_view::npos;
}

Ringer* RingerTable::FindRinger(const std::string& name) {
    const auto found = ringers.find(name);
    return found == ringers.end() ? nullptr : &found->second;
}

Ringer& RingerTable::RingerFor(const std::string& name) { return ringers.try_emplace(name).first->second; }

Ringer& RingerTable::AddRinger(const std::string& name, const std::string& bells, bool conductor) {
    Ringer& ringer = ringers[name];
    ringer = Ringer{name, bells, conductor, ++lastItemId, PingStats{}};
    return ringer;
}

void RingerTable::RemoveRinger(const std::string& name) { ringers.erase(name); }

void RingerTable::ClearRingers() { ringers.clear(); }

bool RingerTable::AllocationControlsVisible(const std::string& ownName) const {
    bool anyConductor = false;
    for (const auto& [key, ringer] : ringers) {
        if (ringer.conductor) {
            if (ringer.name == ownName) {
                return true;
            }
            anyConductor = true;
        }
    }
    return !anyConductor;
}
