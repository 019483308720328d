// The review window's texts: the touch's label and file name, the band's
// figures and a row of the figures table.
#pragma once

#include <string>
#include <vector>

#include "review/StrikingAnalysis.h"

// Whole milliseconds with their sign, late positive: "+12", "-3", "0".
std::string SignedMs(double ms);

// "Touch 2 of 3, started 19:42:10, 6 bells" and ", still ringing".
std::string TouchLabel(const Touch& touch, const Analysis& analysis, int index, int count, bool ringing);

// "touch-2024-05-01-194210": the touch's start in local time.
std::string TouchFileStem(const Touch& touch);

// The band's figures, one to a line.
std::string BandSummary(const Analysis& analysis);

// The figures table's titles, and one row of it: who (a ringer, or "Bell n"),
// what (their bells, or its ringers), then blows, mean and SD overall, at
// handstroke and at backstroke.
std::vector<std::string> FigureTitles();
std::vector<std::string> FigureCells(const std::string& who, const std::string& what, const StrikingFigures& figures);
