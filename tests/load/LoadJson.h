// Reads the figures out of the JSON line that tolmer-load prints last.
#pragma once

#include <cstdlib>
#include <sstream>
#include <string>

namespace loadtest {

// The last line of the output that starts with '{'; empty when there is none.
inline std::string JsonLine(const std::string& output) {
    std::istringstream lines(output);
    std::string line, json;
    while (std::getline(lines, line))
        if (!line.empty() && line.front() == '{') json = line;
    return json;
}

// The number after "key": in a flat JSON object; -1 when the key is missing.
inline double JsonNumber(const std::string& json, const std::string& key) {
    const auto at = json.find("\"" + key + "\":");
    if (at == std::string::npos) return -1;
    return std::strtod(json.c_str() + at + key.size() + 3, nullptr);
}

}  // namespace loadtest
