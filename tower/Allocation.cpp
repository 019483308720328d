#include "tower/Allocation.h"

AllocationResult TallyAllocation(const std::array<std::string, 12>& chosen, const RingerTable::Map& ringers) {
    AllocationResult result;
    for (const auto& [key, ringer] : ringers) {
        result.tally.emplace(ringer.name, std::string());
    }

    int firstEmpty = 0;
    for (int bell = 1; bell <= static_cast<int>(chosen.size()); ++bell) {
        const std::string& name = chosen[bell - 1];
        if (name.empty()) {
            if (firstEmpty == 0) {
                firstEmpty = bell;
            }
        } else if (firstEmpty != 0) {
            ++result.gapMessages;
        } else if (const auto entry = result.tally.find(name); entry != result.tally.end()) {
            entry->second += BellSymbols[bell - 1];
        }
    }

    result.bellCount = firstEmpty == 0 ? static_cast<int>(chosen.size()) : firstEmpty - 1;
    if (result.gapMessages == 0 && result.bellCount == 0) {
        result.gapMessages = 1;  // no bell chosen: bell 1 is missing
    }
    result.valid = result.gapMessages == 0;
    return result;
}

void ApplyAllocation(const AllocationResult& allocation, const std::string& conductorName, RingerTable::Map& ringers) {
    for (auto& [key, ringer] : ringers) {
        const auto entry = allocation.tally.find(ringer.name);
        ringer.bells = entry == allocation.tally.end() ? std::string() : entry->second;
        ringer.conductor = ringer.name == conductorName;
    }
}
