// Rings rows through the row generator from Look to, with calls heard
// during given rows: what the robot would ring.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "tools/robot/RowGenerator.h"

namespace robot_test {

struct ScriptedCall {
    long during;
    std::string text;
};

// Rows 0 to lastRow as symbols ("" once the bells stand).
inline std::vector<std::string> Ring(int towerBells, const std::vector<ScriptedCall>& calls, long lastRow) {
    robot::RowGenerator rows(towerBells);
    rows.LookTo();
    std::vector<std::string> rung;
    std::size_t next = 0;
    for (long k = 0; k <= lastRow; ++k) {
        const auto row = rows.RowAt(k);
        rung.push_back(row ? row->Symbols() : "");
        while (next < calls.size() && calls[next].during == k) {
            rows.Hear(*robot::ReadCall(calls[next].text), k);
            ++next;
        }
    }
    return rung;
}

}  // namespace robot_test
