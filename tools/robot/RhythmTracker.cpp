#include "tools/robot/RhythmTracker.h"

#include <algorithm>
#include <cmath>

namespace robot {

RhythmTracker::RhythmTracker(int bells, double intervalUs, RhythmSettings settings)
    : bells_(bells), settings_(settings), configured_(intervalUs), interval_(intervalUs) {}

void RhythmTracker::Start(long beat, Micros time) {
    anchorBeat_ = beat;
    anchorTime_ = static_cast<double>(time);
    interval_ = configured_;
    count_ = 0;
    next_ = 0;
}

void RhythmTracker::SetInterval(double intervalUs) {
    configured_ = intervalUs;
    interval_ = intervalUs;
}

long RhythmTracker::BeatAt(double time) const {
    return anchorBeat_ + static_cast<long>(std::floor((time - anchorTime_) / interval_));
}

void RhythmTracker::Hear(long beat, Micros time, Striker who) {
    samples_[static_cast<std::size_t>(next_)] = Sample{beat, static_cast<double>(time), who};
    next_ = (next_ + 1) % kKept;
    count_ = std::min(count_ + 1, kKept);
    Refit(beat);
}

void RhythmTracker::Refit(long newest) {
    const double rowBeats = bells_ + 0.5;
    const long window = 2L * bells_ + 1;
    struct Weighted {
        double beat, time, weight;
        bool person;
    };
    std::array<Weighted, kKept> used{};
    int usedCount = 0;
    double peopleWeight = 0;
    int people = 0;
    for (int i = 0; i < count_; ++i) {
        const Sample& s = samples_[static_cast<std::size_t>(i)];
        const long age = newest - s.beat;
        if (age < 0 || age >= window) continue;
        const bool person = s.who == Striker::Person;
        const double weight = (person ? settings_.personWeight : settings_.robotWeight) *
                              std::exp2(-static_cast<double>(age) / (settings_.halfLifeRows * rowBeats));
        if (person) {
            ++people;
            peopleWeight += weight;
        }
        // Beats relative to the newest keep the sums small.
        used[static_cast<std::size_t>(usedCount++)] = {static_cast<double>(-age), s.time, weight, person};
    }
    // The robot's own strikes alone say nothing new: they follow the line.
    if (people == 0) return;
    const bool fitPace = people >= settings_.peopleForPace;
    const double oldInterval = interval_;
    const double stiffness = settings_.paceStiffness * peopleWeight * rowBeats;
    const double limit = settings_.clipBlows * configured_;
    // A weighted line, refitted with the strikes far from it counting less
    // (Huber weights), the first weights coming from the line as it stood
    // before this strike. The last round drops strikes still more than three
    // limits from the line the others make: one wild strike does not count.
    std::array<double, kKept> trust{};
    auto trustIn = [&](double off) { return off > limit ? limit / off : 1.0; };
    for (int i = 0; i < usedCount; ++i) {
        const Weighted& w = used[static_cast<std::size_t>(i)];
        trust[static_cast<std::size_t>(i)] = trustIn(std::abs(w.time - TimeOf(newest + static_cast<long>(w.beat))));
    }
    double interval = interval_, meanBeat = 0, meanTime = 0;
    constexpr int kRounds = 4;
    for (int round = 0; round < kRounds; ++round) {
        double weightSum = 0, beatSum = 0, timeSum = 0;
        for (int i = 0; i < usedCount; ++i) {
            const Weighted& w = used[static_cast<std::size_t>(i)];
            const double weight = w.weight * trust[static_cast<std::size_t>(i)];
            weightSum += weight;
            beatSum += weight * w.beat;
            timeSum += weight * w.time;
        }
        meanBeat = beatSum / weightSum;
        meanTime = timeSum / weightSum;
        if (fitPace) {
            double sxx = 0, sxt = 0;
            for (int i = 0; i < usedCount; ++i) {
                const Weighted& w = used[static_cast<std::size_t>(i)];
                const double weight = w.weight * trust[static_cast<std::size_t>(i)];
                sxx += weight * (w.beat - meanBeat) * (w.beat - meanBeat);
                sxt += weight * (w.beat - meanBeat) * (w.time - meanTime);
            }
            // The old pace counts as strikes spread over a row, so a few
            // noisy strikes move it only a little.
            interval = std::clamp((sxt + stiffness * oldInterval) / (sxx + stiffness),
                                  configured_ / settings_.slowestFactor, configured_ * settings_.slowestFactor);
        }
        for (int i = 0; i < usedCount; ++i) {
            const Weighted& w = used[static_cast<std::size_t>(i)];
            const double off = std::abs(w.time - (meanTime + interval * (w.beat - meanBeat)));
            trust[static_cast<std::size_t>(i)] = round == kRounds - 2 && off > 3 * limit ? 0.0 : trustIn(off);
        }
    }
    interval_ = interval;
    anchorBeat_ = newest;
    anchorTime_ = meanTime - interval_ * meanBeat;
}

}  // namespace robot
