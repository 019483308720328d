// A band on a virtual clock: scripted people strike their bells around an
// underlying rhythm, a conductor calls, and a RobotRinger rings the rest,
// its strikes coming back after an echo delay. No network and no sleeping;
// the robot's tests and its benchmark both drive it.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tools/robot/RobotRinger.h"

namespace robot_sim {

using robot::BellSet;
using robot::Micros;

struct Call {
    long during;  // called just after the first blow of this row
    std::string text;
};

// A person's blow in a row: how far from the underlying rhythm it comes
// (microseconds), or nothing for a missed blow.
using PersonTiming = std::function<std::optional<double>(int bell, long row)>;

struct Band {
    int bells = 6;
    BellSet people = 0;
    BellSet robot = 0;
    std::vector<Call> calls;
    long lastRow = 0;                        // people ring rows 0 to lastRow
    std::function<double(long beat)> ideal;  // the underlying time of each beat
    PersonTiming timing;                     // nothing set: exactly on the rhythm
    double echoUs = 0;
    double echoJitterUs = 0;  // spread evenly either side
    std::uint32_t seed = 1;
    std::vector<std::pair<int, long>> doubleClicks;  // (bell, row): a second click of the same stroke
    std::vector<std::pair<int, long>> extraBlows;    // (bell, row): a second blow half a blow later
    robot::RobotSettings settings;
};

struct Blow {
    long row;
    int place;
    int bell;
    double heard;  // when the band hears it
    double ideal;  // when the underlying rhythm wanted it
    double Error() const { return heard - ideal; }
};

struct Result {
    std::vector<Blow> robot;
    std::vector<Blow> people;
    std::vector<std::string> rows;  // the rows the people rang
};

// The underlying rhythm of a steady band: beat 0 at `start`.
std::function<double(long)> SteadyRhythm(double start, double intervalUs);

Result RunBand(const Band& band);

}  // namespace robot_sim
