// The figures of an analysed touch: per ringer, per bell and for the band.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "review/StrikingAnalysis.h"

// Mean and sample standard deviation.
ErrorFigures Summarise(std::span<const double> values);

// Fills the ringers', bells' and band's figures from the blows, rows and
// pulls; ringerNames are the touch's, by index.
void AddFigures(Analysis& analysis, const std::vector<std::string>& ringerNames);
