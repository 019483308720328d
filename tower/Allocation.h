// The allocation chosen in the Bells dialog: which ringer takes which bell,
// checked for a continuous set of bells from bell 1 up.
#pragma once

#include <array>
#include <map>
#include <string>

#include "tower/RingerTable.h"

inline constexpr const char* kAllocationGapMessage = "A continuous set of bells starting with 1 must be selected";

struct AllocationResult {
    bool valid = false;
    int gapMessages = 0;  // how many times kAllocationGapMessage is shown
    int bellCount = 0;    // the bells before the first empty one
    // Every ringer's name with the symbols of the bells chosen for them,
    // lowest bell first; "" for a ringer who takes no bell.
    std::map<std::string, std::string, NameLess> tally;
};

// chosen[n - 1] is the name selected for bell n, "" for the empty entry.
// A bell chosen after an empty one is a gap, reported once per such bell; a
// selection with no bell at all is refused with one message, as a set that
// does not start with bell 1. Names not in the table take no bells.
AllocationResult TallyAllocation(const std::array<std::string, 12>& chosen, const RingerTable::Map& ringers);

// Writes a valid allocation back: every ringer gets their tallied bells, and
// only the ringer named exactly conductorName conducts. Ringers who arrived
// after the tally get no bells.
void ApplyAllocation(const AllocationResult& allocation, const std::string& conductorName, RingerTable::Map& ringers);
