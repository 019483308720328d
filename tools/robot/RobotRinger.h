// The robot as one ringer of the band: told what it hears (strikes with the
// times they arrived, calls, which bells it and the people ring), it says
// which of its bells to strike next, with which stroke and when to send it.
//
// It rings rounds from Look to: at once (two seconds after the call) when it
// holds the treble, else from the treble's first blow. It keeps to the band's
// rhythm (RhythmTracker), never strikes before the blow ahead of it unless that
// blow is more than one and a half blows late (then it rings on), and sends
// each strike early by its own echo delay, so that its strike comes back
// when the rhythm wants it.
//
// Call Next() after every input and send the strike it gives when its time
// comes, then call Sent(). Nothing here blocks, sleeps or reads a clock.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "tools/robot/EchoDelay.h"
#include "tools/robot/RhythmTracker.h"
#include "tools/robot/RowGenerator.h"

namespace robot {

// Bell n is bit n.
using BellSet = std::uint16_t;
BellSet BellSetOf(std::string_view symbols);
inline bool Holds(BellSet bells, int bell) { return (bells >> bell) & 1; }

struct RobotSettings {
    double intervalMs = 240;
    Micros startDelay = 2'000'000;  // from Look to until its treble's first blow
    double ringOnBlows = 1.5;       // how late the blow ahead may be before it rings on
    double closeUpBlows = 0.25;     // the least gap after a late blow ahead
    RhythmSettings rhythm;
};

struct PlannedStrike {
    int bell;
    int stroke;  // as the Strike message carries it
    Micros sendAt;
    long row;
    int place;
    friend bool operator==(const PlannedStrike&, const PlannedStrike&) = default;
};

class RobotRinger {
public:
    explicit RobotRinger(int towerBells, RobotSettings settings = {});

    int Bells() const { return bells_; }
    // The bells allocated to the robot and to people; it follows a change at once.
    void SetBells(BellSet own, BellSet people, Micros now);
    // Every client has laid its bells out again (after an allocation), each
    // bell's number back at stroke 0: the next strike of every bell is stroke 1.
    void BellsLaidOut() { strokes_.fill(0); }
    void SetMethod(Method method) { rows_.SetMethod(std::move(method)); }
    const std::optional<Method>& NextMethod() const { return rows_.NextMethod(); }
    bool Fits(int stage) const { return rows_.Fits(stage); }
    void SetInterval(double intervalMs);
    double IntervalMs() const { return rhythm_.Interval() / 1000.0; }

    CallOutcome OnCall(std::string_view text, Micros now);
    void OnStrike(int bell, int stroke, Micros now);

    std::optional<PlannedStrike> Next();
    void Sent(const PlannedStrike& strike, Micros now);

    // The row being rung at `time` (-1 before the first); the band is ringing
    // from the first blow until the last row of a Stand.
    long RowDuring(Micros time) const;
    bool RingingAt(Micros time) const;
    Micros EchoEstimate() const { return echo_.Estimate(); }
    const RhythmTracker& Rhythm() const { return rhythm_; }

private:
    static constexpr int kRowsKept = 8;
    enum class Phase { Standing, WaitingForTreble, Ringing };

    void StartRounds(Micros firstBlow);
    void MarkHeard(long row, int bell, Micros time);
    std::optional<Micros> HeardAt(long row, int bell) const;
    // Which row a person's strike belongs to: the nearest in time of those
    // the bell has not yet struck in.
    std::optional<long> RowOfStrike(int bell, Micros time);
    double DueTime(long row, int place);
    Micros SendTimeAfter(long row, int place, Micros planned);
    void MoveCursorTo(long row, int place);

    int bells_;
    RobotSettings settings_;
    RowGenerator rows_;
    RhythmTracker rhythm_;
    EchoDelay echo_;
    Phase phase_ = Phase::Standing;
    BellSet own_ = 0;
    BellSet people_ = 0;
    std::array<int, 13> strokes_{};   // by bell, as every client shows it
    std::array<long, 13> sentRow_{};  // by own bell: the row of its latest strike sent
    std::array<std::array<Micros, 13>, kRowsKept> heard_{};
    std::array<long, kRowsKept> heardRow_{};
    long nextRow_ = 0;  // the robot's next blow is at or after this place
    int nextPlace_ = 0;
};

}  // namespace robot
