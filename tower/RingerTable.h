// The ringers present in the tower, keyed by name, with the bells each rings,
// who conducts and the round-trip statistics of their strikes.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "net/Wire.h"
#include "ringing/PingStats.h"

// Bell n (1 to 12) is the n-th symbol: bell 10 is "0", 11 "E", 12 "T".
inline constexpr std::string_view BellSymbols = wire::kBellSymbols;

// Byte-by-byte comparison of unsigned bytes, letter case significant (so
// every upper-case initial sorts before every lower-case one). <0, 0 or >0.
int CompareNames(std::string_view a, std::string_view b);

struct NameLess {
    bool operator()(const std::string& a, const std::string& b) const { return CompareNames(a, b) < 0; }
};

struct Ringer {
    std::string name;  // equal to the key, except in a record made by RingerFor
    std::string bells;
    bool conductor = false;
    std::int32_t itemId = 0;  // item data of the ringer's row in the ringers list
    PingStats pings;
};

// True when the bell string holds the symbol of bell 1..12, anywhere in it.
bool RingsBell(std::string_view bells, int bell);

class RingerTable {
public:
    using Map = std::map<std::string, Ringer, NameLess>;

    // The record stored under exactly this name, or nullptr.
    Ringer* FindRinger(const std::string& name);
    // The record stored under this name; when there is none, an empty one
    // (empty name and bells, item id 0) is stored under it first.
    Ringer& RingerFor(const std::string& name);
    // Stores a fresh record with the next item id; ids are never handed out
    // twice, not even across towers.
    Ringer& AddRinger(const std::string& name, const std::string& bells, bool conductor);
    void RemoveRinger(const std::string& name);
    // Empties the table; lastItemId keeps counting.
    void ClearRingers();
    // True while nobody conducts or while a conductor's name is ownName.
    bool AllocationControlsVisible(const std::string& ownName) const;

    Map ringers;  // walks go in key order
    std::int32_t lastItemId = 0;
};
