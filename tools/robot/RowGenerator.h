// The rows the band rings, as the conductor's calls shape them. Rows are
// counted from the first row of rounds (row 0, a handstroke; handstroke rows
// are even). A call heard during row r never changes row r itself:
//   Go          the method from the first handstroke row h >= r + 2, so
//               every ringer has at least one whole row's warning
//   Bob/Single  at the first place the method takes that call whose first
//               changed row is >= r + 1 (the lead head, for a lead-end call):
//               a bob called as the treble leads at handstroke takes effect
//               at the lead end that follows
//   That's All  the method stops when rounds next come up; rounds follow
//   Stand       the last row is the first backstroke row after the call
//
// Rows are made on demand and the last few are kept, so a call can remake
// the rows after its warning that were asked for early.
#pragma once

#include <array>
#include <climits>
#include <optional>
#include <vector>

#include "tools/robot/CallText.h"
#include "tools/robot/Method.h"

namespace robot {

enum class CallOutcome {
    Ignored,        // not a call for this moment (a Bob in rounds, a second Go)
    Rounds,         // Look to: rounds from row 0
    MethodStarts,   // Go: at EffectRow
    CallTaken,      // Bob or Single: from EffectRow at the earliest
    NoSuchCall,     // the method has no such call
    UnknownMethod,  // Go with a name the library does not hold
    MethodMisfits,  // Go with a method for other than the tower's bells (or one fewer)
    StopsAtRounds,  // That's All
    Stands,         // Stand: EffectRow is the last row
};

class RowGenerator {
public:
    explicit RowGenerator(int towerBells);

    int Bells() const { return bells_; }
    // The method a plain "Go" rings.
    void SetMethod(Method method) { next_ = std::move(method); }
    const std::optional<Method>& NextMethod() const { return next_; }
    // Whether a method of `stage` can be rung here: on as many bells, or on
    // one fewer with the tenor covering.
    bool Fits(int stage) const { return stage == bells_ || stage == bells_ - 1; }

    // Rounds from row 0, forgetting any method and calls.
    void LookTo();
    // A call (other than Look to) heard during row `during`.
    CallOutcome Hear(const HeardCall& call, long during);
    // The row a call's outcome refers to (see CallOutcome).
    long EffectRow() const { return effectRow_; }

    // Row k, or nothing before Look to, after the last row, or for a row
    // older than the few kept.
    std::optional<Row> RowAt(long k);
    long LastRow() const { return lastRow_; }
    bool InMethodAt(long k);

private:
    struct Cursor {
        long index = -1;
        Row row;
        bool inMethod = false;
        bool methodDone = false;  // That's All brought rounds
        int leadPos = 0;          // next change of the lead
        int callKind = -1;        // the CallKind being rung in place of the lead, or -1
        int callPos = 0;
    };
    struct PendingCall {
        CallKind kind;
        long earliestRow;
        long appliedAt = -1;
    };
    static constexpr int kKept = 16;

    Cursor Step(const Cursor& from);
    const Cursor* Find(long k) const;
    void Forget(long fromRow);
    Cursor& Slot(long k) { return kept_[static_cast<std::size_t>(k % kKept)]; }
    const Cursor& Slot(long k) const { return kept_[static_cast<std::size_t>(k % kKept)]; }
    int CallStartingAt(int leadPos, long row);

    int bells_;
    std::optional<Method> next_;
    std::optional<Method> active_;
    bool started_ = false;
    long goRow_ = -1;
    long thatsAllFrom_ = -1;
    long lastRow_ = LONG_MAX;
    long effectRow_ = -1;
    std::vector<PendingCall> calls_;
    std::array<Cursor, kKept> kept_{};
    long newest_ = -1;  // the newest row made
};

}  // namespace robot
