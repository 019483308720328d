// The chart of a touch: its rows down the page, each blow a dot in its bell's
// colour drawn where it fell against its place (the grey lines), so a late
// blow stands to the right of its line and an early one to the left. The
// user's own blows are ringed; a broken row is marked red at the left and
// says what it lacks or has twice on the right, where each handstroke row
// also shows its gap as a bar against a tick at one blow.
#pragma once

#include "platform/Drawing.h"
#include "review/StrikingAnalysis.h"

struct ChartPage {
    int width = 0;
    int height = 0;  // 0: as tall as the rows need
    int firstRow = 0;
    int ownRinger = -1;  // index into Touch::ringers of the user, or -1
};

// How many rows a chart of this height shows, and how tall a chart of so
// many rows is.
int RowsThatFit(int height);
int ChartHeight(int rows);

platform::Drawing DrawChart(const Analysis& analysis, const ChartPage& page);

// Bell n's colour, the same in every chart and table.
platform::Colour BellColour(int bell);
