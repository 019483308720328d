// Finds the band's pace and phase from the strikes heard: a weighted straight
// line through (beat, time) over about the last two rows, people's strikes
// weighted more than the robot's own and recent ones more than old. A strike
// far from the line the others make counts less the further it is (a robust
// fit), so one wild strike cannot jerk the rhythm. Until enough people have
// been heard the pace stays at the configured interval and only the phase
// follows them.
//
// Times are plain microseconds on any steady clock.
#pragma once

#include <array>
#include <cstdint>

namespace robot {

using Micros = std::int64_t;

enum class Striker { Person, Robot };

struct RhythmSettings {
    double personWeight = 1.0;
    double robotWeight = 0.1;
    double halfLifeRows = 0.75;  // a strike counts half as much this many rows later
    double paceStiffness = 1.0;  // how many rows' worth of strikes the old pace weighs
    double clipBlows = 0.15;     // strikes further than this from the line count less
    int peopleForPace = 4;       // strikes by people in the window before the pace moves
    double slowestFactor = 2.0;  // the pace stays within these factors of the configured one
};

class RhythmTracker {
public:
    RhythmTracker(int bells, double intervalUs, RhythmSettings settings = {});

    // Beat `beat` sounds at `time`; forgets everything heard before.
    void Start(long beat, Micros time);
    void SetInterval(double intervalUs);
    void Hear(long beat, Micros time, Striker who);

    // When beat `beat` sounds, on the current line.
    double TimeOf(long beat) const { return anchorTime_ + interval_ * static_cast<double>(beat - anchorBeat_); }
    // The latest beat due at or before `time`.
    long BeatAt(double time) const;
    double Interval() const { return interval_; }
    double ConfiguredInterval() const { return configured_; }

private:
    struct Sample {
        long beat;
        double time;
        Striker who;
    };
    static constexpr int kKept = 32;

    void Refit(long newest);

    int bells_;
    RhythmSettings settings_;
    double configured_;
    double interval_;
    long anchorBeat_ = 0;
    double anchorTime_ = 0;
    std::array<Sample, kKept> samples_{};
    int count_ = 0;  // samples held, the newest at (next_ - 1)
    int next_ = 0;
};

}  // namespace robot
