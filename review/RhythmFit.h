// The ideal rhythm of a whole pull, and where each blow of a row belongs in
// it. A pull's blows ideally fall on a line, start + index * interval, where
// index counts the places through its handstroke and then its backstroke row.
#pragma once

#include <optional>
#include <span>
#include <vector>

struct RhythmLine {
    double startMs = 0;     // the ideal time of index 0
    double intervalMs = 0;  // between successive blows
    double At(double index) const { return startMs + index * intervalMs; }
};

struct TimedIndex {
    double index = 0;
    double ms = 0;
};

// The line through the points that most of them lie on: the median of the
// slopes between pairs, then the median offset (Theil and Sen). Unlike a
// least-squares fit, one ringer's steady error does not move every other
// blow's ideal place. Nothing for fewer than two distinct indices. Quadratic
// in the points, a pull's two dozen at most.
std::optional<RhythmLine> FitRhythm(std::span<const TimedIndex> points);

struct RowBlow {
    int bell = 0;
    double ms = 0;
};

// The place (0 to bellCount - 1) of each of a row's blows in time order, or
// -1 for a blow that does not count (the extra one of a bell struck twice).
// A row of every bell once takes the places in turn. Otherwise the blows and
// places that lie closest to the line are chosen: on it (index firstIndex +
// place), or, with freeStart, at its interval wherever the row starts.
std::vector<int> PlaceRowBlows(std::span<const RowBlow> blows, int bellCount, const RhythmLine& line, double firstIndex,
                               bool freeStart);
