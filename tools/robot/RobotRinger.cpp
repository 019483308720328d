#include "tools/robot/RobotRinger.h"

#include <algorithm>
#include <cmath>

#include "tools/robot/Beats.h"

namespace robot {

BellSet BellSetOf(std::string_view symbols) {
    BellSet set = 0;
    for (char symbol : symbols) {
        if (const int bell = BellOfSymbol(symbol); bell != 0) set |= static_cast<BellSet>(1u << bell);
    }
    return set;
}

RobotRinger::RobotRinger(int towerBells, RobotSettings settings)
    : bells_(towerBells),
      settings_(settings),
      rows_(towerBells),
      rhythm_(towerBells, settings.intervalMs * 1000.0, settings.rhythm) {
    sentRow_.fill(-1);
    heardRow_.fill(-1);
}

void RobotRinger::SetBells(BellSet own, BellSet people, Micros now) {
    own_ = own;
    people_ = people;
    if (phase_ != Phase::Ringing) return;
    // Blows already due are left alone: a bell taken over mid-row starts with
    // its next blow, never with a rush of late ones.
    const Blow blow = BlowAt(rhythm_.BeatAt(static_cast<double>(now)) + 1, bells_);
    MoveCursorTo(blow.row, blow.place);
}

void RobotRinger::SetInterval(double intervalMs) { rhythm_.SetInterval(intervalMs * 1000.0); }

long RobotRinger::RowDuring(Micros time) const {
    if (phase_ != Phase::Ringing) return -1;
    return BlowAt(rhythm_.BeatAt(static_cast<double>(time)), bells_).row;
}

bool RobotRinger::RingingAt(Micros time) const {
    return phase_ == Phase::Ringing && RowDuring(time) <= rows_.LastRow();
}

void RobotRinger::StartRounds(Micros firstBlow) {
    rhythm_.Start(0, firstBlow);
    phase_ = Phase::Ringing;
    heardRow_.fill(-1);
    sentRow_.fill(-1);
    nextRow_ = 0;
    nextPlace_ = 0;
}

CallOutcome RobotRinger::OnCall(std::string_view text, Micros now) {
    const std::optional<HeardCall> call = ReadCall(text);
    if (!call) return CallOutcome::Ignored;
    if (call->type == CallType::LookTo) {
        if (RingingAt(now)) return CallOutcome::Ignored;
        rows_.LookTo();
        if (Holds(own_, 1)) {
            StartRounds(now + settings_.startDelay);
        } else {
            phase_ = Phase::WaitingForTreble;
        }
        return CallOutcome::Rounds;
    }
    if (phase_ == Phase::WaitingForTreble) return rows_.Hear(*call, -1);
    if (!RingingAt(now)) return CallOutcome::Ignored;
    return rows_.Hear(*call, RowDuring(now));
}

void RobotRinger::MarkHeard(long row, int bell, Micros time) {
    const auto slot = static_cast<std::size_t>(row % kRowsKept);
    if (heardRow_[slot] != row) {
        heardRow_[slot] = row;
        heard_[slot].fill(-1);
    }
    heard_[slot][static_cast<std::size_t>(bell)] = time;
}

std::optional<Micros> RobotRinger::HeardAt(long row, int bell) const {
    if (row < 0) return std::nullopt;
    const auto slot = static_cast<std::size_t>(row % kRowsKept);
    if (heardRow_[slot] != row || heard_[slot][static_cast<std::size_t>(bell)] < 0) return std::nullopt;
    return heard_[slot][static_cast<std::size_t>(bell)];
}

std::optional<long> RobotRinger::RowOfStrike(int bell, Micros time) {
    const long during = RowDuring(time);
    const double furthest = (bells_ / 2.0 + 1.0) * rhythm_.Interval();
    std::optional<long> best;
    double bestDistance = furthest;
    for (long k = during - 1; k <= during + 1; ++k) {
        const std::optional<Row> row = rows_.RowAt(k);
        if (!row || HeardAt(k, bell)) continue;
        const int place = row->PositionOf(bell);
        if (place < 0) continue;
        const double distance = std::abs(static_cast<double>(time) - rhythm_.TimeOf(BeatOf(k, place, bells_)));
        if (distance <= bestDistance) {
            bestDistance = distance;
            best = k;
        }
    }
    return best;
}

void RobotRinger::OnStrike(int bell, int stroke, Micros now) {
    if (bell < 1 || bell > bells_) return;
    stroke = stroke != 0 ? 1 : 0;
    // A strike that does not turn the bell over is a second click before the
    // echo: every client ignores it, and so does the robot.
    if (stroke == strokes_[static_cast<std::size_t>(bell)]) return;
    strokes_[static_cast<std::size_t>(bell)] = stroke;
    const bool own = Holds(own_, bell);
    if (own) echo_.Heard(bell, now);
    if (phase_ == Phase::WaitingForTreble && bell == 1) {
        StartRounds(now);
        MarkHeard(0, 1, now);
        rhythm_.Hear(0, now, Striker::Person);
        return;
    }
    if (phase_ != Phase::Ringing) return;
    const long sent = sentRow_[static_cast<std::size_t>(bell)];
    const std::optional<long> row = own && sent >= 0 ? std::optional<long>(sent) : RowOfStrike(bell, now);
    if (!row) return;
    const std::optional<Row> ringing = rows_.RowAt(*row);
    if (!ringing) return;
    MarkHeard(*row, bell, now);
    rhythm_.Hear(BeatOf(*row, ringing->PositionOf(bell), bells_), now, own ? Striker::Robot : Striker::Person);
}

void RobotRinger::MoveCursorTo(long row, int place) {
    if (place >= bells_) {
        ++row;
        place = 0;
    }
    if (row > nextRow_ || (row == nextRow_ && place > nextPlace_)) {
        nextRow_ = row;
        nextPlace_ = place;
    }
}

// When a blow is due: on the rhythm, or later if the blows heard just before
// it came later than the rhythm said (the band is slower than it thinks).
double RobotRinger::DueTime(long row, int place) {
    const long beat = BeatOf(row, place, bells_);
    double due = rhythm_.TimeOf(beat);
    long k = row;
    int p = place;
    for (int back = 0; back < 3; ++back) {
        if (--p < 0) {
            --k;
            p = bells_ - 1;
        }
        const std::optional<Row> before = rows_.RowAt(k);
        if (!before) break;
        if (const std::optional<Micros> heard = HeardAt(k, before->BellAt(p))) {
            const double gap = static_cast<double>(beat - BeatOf(k, p, bells_)) * rhythm_.Interval();
            return std::max(due, static_cast<double>(*heard) + gap);
        }
    }
    return due;
}

// Waits for a person's blow ahead, up to the point where it rings on.
Micros RobotRinger::SendTimeAfter(long row, int place, Micros planned) {
    const long aheadRow = place > 0 ? row : row - 1;
    const int aheadPlace = place > 0 ? place - 1 : bells_ - 1;
    const std::optional<Row> ahead = rows_.RowAt(aheadRow);
    if (!ahead) return planned;
    const int aheadBell = ahead->BellAt(aheadPlace);
    if (!Holds(people_, aheadBell)) return planned;
    const double interval = rhythm_.Interval();
    const Micros echo = echo_.Estimate();
    if (const std::optional<Micros> heard = HeardAt(aheadRow, aheadBell)) {
        const auto closeUp = static_cast<Micros>(static_cast<double>(*heard) + settings_.closeUpBlows * interval);
        return std::max(planned, closeUp - echo);
    }
    const double ringOn = DueTime(aheadRow, aheadPlace) + settings_.ringOnBlows * interval;
    return std::max(planned, static_cast<Micros>(ringOn) - echo);
}

std::optional<PlannedStrike> RobotRinger::Next() {
    if (phase_ != Phase::Ringing || own_ == 0) return std::nullopt;
    long k = nextRow_;
    int p = nextPlace_;
    // The robot's bells are somewhere in every row, so two rows' search finds one.
    for (int searched = 0; searched < 2 * bells_ + 1; ++searched) {
        const std::optional<Row> row = rows_.RowAt(k);
        if (!row) return std::nullopt;
        const int bell = row->BellAt(p);
        if (Holds(own_, bell)) {
            const auto planned =
                static_cast<Micros>(std::llround(rhythm_.TimeOf(BeatOf(k, p, bells_)))) - echo_.Estimate();
            const int stroke = 1 - strokes_[static_cast<std::size_t>(bell)];
            return PlannedStrike{bell, stroke, SendTimeAfter(k, p, planned), k, p};
        }
        if (++p == bells_) {
            p = 0;
            ++k;
        }
    }
    return std::nullopt;
}

void RobotRinger::Sent(const PlannedStrike& strike, Micros now) {
    echo_.Sent(strike.bell, now);
    sentRow_[static_cast<std::size_t>(strike.bell)] = strike.row;
    MoveCursorTo(strike.row, strike.place + 1);
}

}  // namespace robot
