// Place notation as ringers write it, read into the changes of one lead.
//
//   x or -        a cross: every bell swaps
//   1..9 0 E T    the places made, in either case; places implied at the ends
//                 are added ("1" on six bells is "16", "2" is "12")
//   .             separates two changes written with places
//   ,             separates blocks
//   &  +          a block that is a palindrome / one that is rung as written
//
// Without & or +, "x16x16x16,12" means both blocks are palindromes (each is
// rung forwards and back without repeating its last change), and a notation
// without a comma is rung as written. "&x1x1x1-2" is the same as
// "&x1x1x1,+2": in a notation that starts with & and writes crosses as x,
// a final "-" starts the lead end.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tools/robot/Row.h"

namespace robot {

struct ParsedNotation {
    std::vector<Change> changes;
    std::string error;  // empty when the notation was read
    bool Ok() const { return error.empty(); }
};

inline constexpr int kMinStage = 3;

ParsedNotation ParsePlaceNotation(std::string_view text, int stage);

// One change written with places (or x), as calls are written: "14", "1234", "x".
ParsedNotation ParseChange(std::string_view text, int stage);

// Writes one change back with every place it makes ("x" for a cross).
std::string ChangeText(const Change& change);

}  // namespace robot
