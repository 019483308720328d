// Order of the rows of the ringers list: by the bells each ringer rings, the
// conductor marker as if it were a bell above all others, rows without bells
// or marker last.
#pragma once

#include <string>

inline constexpr const char* kConductorMarker = " (c)";

// The Bells column: the bell string, followed by " (c)" for a conductor.
std::string BellsColumnText(const std::string& bells, bool conductor);

// Compares two Bells column texts: <0 when the first row goes first, 0 on a
// tie, >0 otherwise.
int CompareBellsColumnTexts(std::string text1, std::string text2);
