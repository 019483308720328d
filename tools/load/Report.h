// What a run prints: a table for people and one JSON line for scripts.
#pragma once

#include <string>

#include "tools/load/LoadOptions.h"
#include "tools/load/LoadRun.h"

namespace load {

std::string FormatTable(const LoadOptions& options, const RunResult& result);
std::string FormatJson(const LoadOptions& options, const RunResult& result);

}  // namespace load
