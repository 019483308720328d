#include "ringing/KeyTables.h"

const KeyTable UpperKeys = {
    "H",       "JD",       "KJD",       "KJDS",       "KJHGF",       "KJHGFD",
    "KJHGFDS", "LKJHGFDS", ";LKJHGFDS", "';LKJHGFDS", "0';LKJHGFDS", "-0';LKJHGFDS",
};

const KeyTable LowerKeys = {
    "B",       "NC",       "MNC",       "MNCX",       "MNBVC",       "MNBVCX",
    "MNBVCXZ", ",MNBVCXZ", ".,MNBVCXZ", "/.,MNBVCXZ", "o/.,MNBVCXZ", "po/.,MNBVCXZ",
};

// Same as UpperKeys up to ten bells; eleven and twelve use A and # instead of
// the number-row keys.
const KeyTable SingleKeys = {
    "H",       "JD",       "KJD",       "KJDS",       "KJHGF",       "KJHGFD",
    "KJHGFDS", "LKJHGFDS", ";LKJHGFDS", "';LKJHGFDS", "';LKJHGFDSA", "#';LKJHGFDSA",
};

std::string_view KeyRow(const KeyTable& table, int k) {
    if (k < 1 || k > static_cast<int>(table.size())) {
        return {};
    }
    return table[k - 1];
}
