// The methods the robot knows by name: a table of names, stages and place
// notation, built into methods by one engine.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/robot/Method.h"

namespace robot {

struct LibraryEntry {
    std::string_view name;  // without the stage: "Cambridge Surprise"
    int stage;
    std::string_view notation;
    CallStyle calls;
};

const std::vector<LibraryEntry>& MethodTable();

// Finds a method by its full name as ringers write it ("cambridge surprise
// minor "): letter case, surrounding and repeated spaces, apostrophes and
// full stops do not matter. A name without its stage ("Plain Bob") picks the
// stage that fits a tower of `towerBells`: that many, or one fewer with the
// tenor covering.
std::optional<Method> FindMethod(std::string_view name, int towerBells = 0);

// The library's spelling of a method name, with its stage or without
// ("plain  bob" gives "Plain Bob"); nothing for a name it does not hold.
std::optional<std::string> KnownMethodName(std::string_view name);

// The full name of a table entry: "Cambridge Surprise Minor".
std::string FullName(const LibraryEntry& entry);

}  // namespace robot
