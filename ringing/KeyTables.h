// The keys that ring the user's bells. Row k serves a user who rings k bells:
// its j-th character is the key of the user's j-th bell in bell-string order,
// so the lowest bell (rightmost on screen) takes the rightmost key of the row.
// With two keys per bell, UpperKeys and LowerKeys of one row share no key.
#pragma once

#include <array>
#include <string_view>

using KeyTable = std::array<std::string_view, 12>;

extern const KeyTable UpperKeys;
extern const KeyTable LowerKeys;
extern const KeyTable SingleKeys;  // one key per bell

// Row k (1 to 12) of a table; empty for any other k.
std::string_view KeyRow(const KeyTable& table, int k);
