// Cuts the blows of a touch into rows. Each bell strikes once a row and the
// rows alternate handstroke and backstroke, so the cut chosen is the one that
// leaves the fewest bells missing or struck twice in a row and the fewest
// blows on the other stroke from their row's. Strokes keep the rows aligned
// where a count alone would slip: after a missed blow the next row's first
// bell is on the next row's stroke, and a doubled blow is on the wrong one.
// Timing settles what strokes cannot: a row should not hold a pause of more
// than one and a half blows, as it would if it took the first blow of the
// next row (struck by the bell it lacked). A relayout (every bell back to
// handstroke) may break the alternation once, at a price.
#pragma once

#include <span>
#include <vector>

struct HeardBlow {
    int bell = 0;    // 1 to 12
    int stroke = 0;  // 1 handstroke, 0 backstroke
    double ms = 0;
};

struct RowCut {
    int first = 0;   // index of the row's first blow
    int count = 0;   // blows in the row, extra ones included
    int stroke = 0;  // the row's stroke
};

// blows: the blows of the touch's bells, in the order heard; bellCount: how
// many bells a row holds. Linear in the number of blows.
std::vector<RowCut> CutRows(std::span<const HeardBlow> blows, int bellCount);
