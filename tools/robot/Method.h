// A method: the changes of one lead on its stage, and where its bob and
// single replace them.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/robot/PlaceNotation.h"

namespace robot {

enum class CallKind { Bob, Single };

// A call replaces the changes of the lead starting at each index in `at`
// with `changes`, at the first of those places that the conductor's warning
// allows.
struct CallChanges {
    std::vector<int> at;
    std::vector<Change> changes;
};

// Which calls a method has: those of its lead end, or Grandsire's or
// Stedman's own.
enum class CallStyle { LeadEnd, Grandsire, Stedman };

struct Method {
    std::string name;
    int stage = 0;
    std::vector<Change> lead;
    std::optional<CallChanges> bob;
    std::optional<CallChanges> single;

    const CallChanges* Call(CallKind kind) const {
        const std::optional<CallChanges>& call = kind == CallKind::Bob ? bob : single;
        return call ? &*call : nullptr;
    }
    Row LeadHead() const;
    // Rows from rounds until rounds come up again, 0 if they never do
    // within a hundred leads.
    int PlainCourseLength() const;
};

struct BuiltMethod {
    std::optional<Method> method;
    std::string error;
};

// A method from its notation. LeadEnd calls: after a lead end of 12, bob 14
// and single 1234; after 1n, bob 1(n-2) and single 1(n-2)(n-1)n; none after
// any other lead end. Grandsire: 3.1 for a bob and 3.123 for a single in
// place of the last two changes. Stedman: at each six end (n-2) for a bob
// and (n-2)(n-1)n for a single (on five bells only the single: a bob there
// would leave the front three as they were).
BuiltMethod MakeMethod(std::string name, int stage, std::string_view notation, CallStyle style = CallStyle::LeadEnd);

// The stage's name ("Minor"), or "" when it has none.
std::string_view StageName(int stage);

}  // namespace robot
