#include "tools/robot/RowGenerator.h"

#include <algorithm>

#include "tools/robot/MethodLibrary.h"

namespace robot {

RowGenerator::RowGenerator(int towerBells) : bells_(towerBells) {}

void RowGenerator::LookTo() {
    started_ = true;
    active_.reset();
    goRow_ = -1;
    thatsAllFrom_ = -1;
    lastRow_ = LONG_MAX;
    calls_.clear();
    newest_ = 0;
    Slot(0) = Cursor{0, Row::Rounds(bells_)};
}

const RowGenerator::Cursor* RowGenerator::Find(long k) const {
    if (!started_ || k < 0 || k > newest_ || k <= newest_ - kKept) return nullptr;
    return &Slot(k);
}

std::optional<Row> RowGenerator::RowAt(long k) {
    if (!started_ || k < 0 || k > lastRow_) return std::nullopt;
    while (newest_ < k) {
        const Cursor next = Step(Slot(newest_));
        ++newest_;
        Slot(newest_) = next;
    }
    const Cursor* cursor = Find(k);
    if (cursor == nullptr) return std::nullopt;
    return cursor->row;
}

bool RowGenerator::InMethodAt(long k) {
    if (!RowAt(k)) return false;
    return Find(k)->inMethod;
}

void RowGenerator::Forget(long fromRow) {
    if (newest_ >= fromRow) newest_ = std::max(fromRow - 1, newest_ - kKept + 1);
    for (PendingCall& call : calls_) {
        if (call.appliedAt >= fromRow) call.appliedAt = -1;
    }
    std::erase_if(calls_,
                  [&](const PendingCall& call) { return call.appliedAt >= 0 && call.appliedAt <= newest_ - kKept; });
}

// The call to ring in place of the lead from `leadPos` for `row`: the latest
// of those waiting that may start there. Every one of them is used up.
int RowGenerator::CallStartingAt(int leadPos, long row) {
    int kind = -1;
    for (PendingCall& call : calls_) {
        if (call.appliedAt >= 0 || call.earliestRow > row) continue;
        const CallChanges* changes = active_->Call(call.kind);
        if (changes == nullptr || std::find(changes->at.begin(), changes->at.end(), leadPos) == changes->at.end())
            continue;
        call.appliedAt = row;
        kind = static_cast<int>(call.kind);
    }
    return kind;
}

RowGenerator::Cursor RowGenerator::Step(const Cursor& from) {
    Cursor next = from;
    ++next.index;
    if (next.inMethod && thatsAllFrom_ >= 0 && from.index >= thatsAllFrom_ && from.row.IsRounds()) {
        next.inMethod = false;
        next.methodDone = true;
    }
    if (next.index == goRow_ && active_) {
        next.inMethod = true;
        next.methodDone = false;
        next.leadPos = 0;
        next.callKind = -1;
    }
    if (!next.inMethod) return next;
    if (next.callKind < 0) {
        next.callKind = CallStartingAt(next.leadPos, next.index);
        next.callPos = 0;
    }
    if (next.callKind >= 0) {
        const CallChanges& callChanges = *active_->Call(static_cast<CallKind>(next.callKind));
        next.row.Apply(callChanges.changes[static_cast<std::size_t>(next.callPos)]);
        if (++next.callPos == static_cast<int>(callChanges.changes.size())) next.callKind = -1;
    } else {
        next.row.Apply(active_->lead[static_cast<std::size_t>(next.leadPos)]);
    }
    next.leadPos = (next.leadPos + 1) % static_cast<int>(active_->lead.size());
    return next;
}

CallOutcome RowGenerator::Hear(const HeardCall& call, long during) {
    effectRow_ = -1;
    if (!started_ || during > lastRow_ || call.type == CallType::LookTo) return CallOutcome::Ignored;
    const long warned = during + 2;  // the first row a Go may change
    const bool methodAhead = goRow_ >= warned;
    const bool ringingMethod = methodAhead || InMethodAt(during + 1);
    switch (call.type) {
    case CallType::Go: {
        if (ringingMethod) return CallOutcome::Ignored;
        std::optional<Method> method = call.method.empty() ? next_ : FindMethod(call.method, bells_);
        if (!method) return CallOutcome::UnknownMethod;
        if (!Fits(method->stage)) return CallOutcome::MethodMisfits;
        Forget(warned);
        active_ = std::move(method);
        goRow_ = warned % 2 == 0 ? warned : warned + 1;
        thatsAllFrom_ = -1;
        calls_.clear();
        effectRow_ = goRow_;
        return CallOutcome::MethodStarts;
    }
    case CallType::Bob:
    case CallType::Single: {
        if (!ringingMethod) return CallOutcome::Ignored;
        const CallKind kind = call.type == CallType::Bob ? CallKind::Bob : CallKind::Single;
        if (active_->Call(kind) == nullptr) return CallOutcome::NoSuchCall;
        // A bob or single may change the very next row: the lead head that
        // follows the treble's handstroke lead.
        const long earliest = during + 1;
        Forget(earliest);
        calls_.push_back(PendingCall{kind, earliest});
        effectRow_ = earliest;
        return CallOutcome::CallTaken;
    }
    case CallType::ThatsAll:
        if (!ringingMethod) return CallOutcome::Ignored;
        Forget(warned);
        if (methodAhead) goRow_ = -1;
        thatsAllFrom_ = during + 1;
        effectRow_ = thatsAllFrom_;
        return CallOutcome::StopsAtRounds;
    case CallType::Stand:
        Forget(warned);
        lastRow_ = during % 2 == 0 ? during + 1 : during + 2;
        effectRow_ = lastRow_;
        return CallOutcome::Stands;
    case CallType::LookTo: break;
    }
    return CallOutcome::Ignored;
}

}  // namespace robot
