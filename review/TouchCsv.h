// An analysed touch as CSV: a header, then one line per blow in the order
// heard. Times in ms from the touch's first blow; errors late positive.
//   row,stroke,place,bell,ringer,time_ms,ideal_ms,error_ms,blow,row_missing
//   12,hand,3,4,Ben,5123.0,5101.4,21.6,counted,
// A stray blow has no row, stroke or place; an extra one no place or error.
// row_missing lists the bells the row lacks, space-separated.
#pragma once

#include <string>

#include "review/StrikingAnalysis.h"

std::string TouchCsv(const Analysis& analysis, const Touch& touch);
