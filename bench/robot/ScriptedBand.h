// A scripted band around the robot ringer, on loopback through a real
// server: a conductor who starts the tower, rings the people's bells on a
// set rhythm and makes the calls, and a listener who hears the tower as every
// client does. The robot's end-to-end tests and its benchmark share it.
//
//   robot_band::ScriptedBand band(server.Port());
//   band.Enter();                                   // the conductor starts "St Mary"
//   robot.Start(TOLMER_ROBOT_BINARY, {... "--tower", "St Mary"});
//   band.WaitForRinger("Robot");
//   band.Allocate(6, "135", "Robot", "246");
//   const auto run = band.Ring(plan);               // Look to, the rows, the calls
//   const auto rows = HeardRows(PlaceBlows(run), run.rows.size());
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "tests/support/TestClient.h"
#include "tests/support/TestMessages.h"
#include "tools/robot/Method.h"

namespace robot_band {

using testsupport::kDefaultTimeout;
using testsupport::Millis;
using testsupport::TestClient;
namespace msg = testsupport::msg;

using BandClock = std::chrono::steady_clock;

struct HeardBlow {
    int bell;
    int stroke;
    BandClock::time_point at;
};

// What the listener has heard so far, in order.
struct TowerLog {
    std::vector<HeardBlow> strikes;                         // those that moved a bell, as every client shows them
    std::vector<std::pair<std::string, std::string>> chat;  // name, line
    std::vector<msg::RingerRecord> records;
    std::vector<std::string> left;
    bool ChatFrom(const std::string& name, const std::string& line) const;
};

// A client in the tower that only listens, on a thread of its own, so that
// strikes are timed when they arrive whatever the band is doing.
class BandListener {
public:
    ~BandListener();
    bool Join(std::uint16_t port, const std::string& tower, const std::string& name);
    TowerLog Log() const;
    // True once `done` holds for the log, within the timeout.
    bool WaitUntil(const std::function<bool(const TowerLog&)>& done, Millis timeout = kDefaultTimeout) const;

private:
    void Listen();
    void Hear(const MessageBuffer& message, BandClock::time_point at);

    TestClient client_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    TowerLog log_;
    std::array<int, 13> strokes_{};                                // as a client shows them
    std::map<std::string, std::pair<std::string, bool>> ringers_;  // bells and conductor flag
};

// Something the conductor does just after the blow in place `afterPlace`
// (from 0) of a row: a call, a new allocation, or leaving the tower.
struct BandEvent {
    enum class Kind { Call, Allocate, ConductorLeaves };
    Kind kind = Kind::Call;
    long row = 0;
    int afterPlace = 1;
    std::string text;        // Call: the call; Allocate: the people's bells from then on
    std::string robotBells;  // Allocate: the robot's

    static BandEvent Call(long row, std::string text) { return {Kind::Call, row, 1, std::move(text), {}}; }
    static BandEvent Allocate(long row, std::string people, std::string robot) {
        return {Kind::Allocate, row, 1, std::move(people), std::move(robot)};
    }
    static BandEvent ConductorLeaves(long row) { return {Kind::ConductorLeaves, row, 1, {}, {}}; }
};

struct BandPlan {
    int bells = 6;
    std::optional<robot::Method> method;  // what a plain "Go" rings
    std::string people;                   // rung by the conductor
    std::vector<BandEvent> events;        // "Look to" comes first by itself
    long lastRow = 0;                     // the people ring rows 0 to lastRow, or to the Stand
    double intervalUs = 240'000;
    // The time of each beat after the first blow (row k, place p is beat
    // robot::BeatOf(k, p, bells)); steady at intervalUs when not set.
    std::function<double(long beat)> beatUs;
    // How far a person's blow is from the rhythm; nothing for a missed blow.
    std::function<std::optional<double>(int bell, long row)> errorUs;
    double lookToUs = 1'000'000;  // "Look to" this long before the first blow
};

struct BandRun {
    std::vector<std::string> rows;  // the rows the band rang, as symbols
    std::function<double(long beat)> beatUs;
    BandClock::time_point firstBlow;
    std::vector<HeardBlow> heard;  // what the listener heard from Look to on
};

class ScriptedBand {
public:
    explicit ScriptedBand(std::uint16_t port, std::string tower = "St Mary");

    // The conductor starts the tower and the listener joins it.
    bool Enter();
    // True once the listener has heard `ringer`'s record.
    bool WaitForRinger(const std::string& ringer, Millis timeout = kDefaultTimeout);
    // The conductor appoints themself, takes the people's bells and gives the
    // robot its own; true once the listener has heard the robot's record back.
    bool Allocate(int bells, const std::string& people, const std::string& robot, const std::string& robotBells);
    // Rings the plan in real time and returns what the listener heard,
    // waiting `tail` after the script's last action (a blow, a call, the
    // conductor leaving) for the robot's last blows. A script that ends
    // early, as with the conductor leaving, needs a tail that covers the
    // rows the robot still rings.
    BandRun Ring(const BandPlan& plan, Millis tail = Millis(1500));

    TestClient& Conductor() { return conductor_; }
    BandListener& Listener() { return listener_; }

private:
    std::uint16_t port_;
    std::string tower_;
    TestClient conductor_;
    BandListener listener_;
    std::string robot_;
    int bellCount_ = 0;
};

// The rows a plan rings: rounds from Look to, shaped by the calls heard
// during their rows, as far as lastRow or the last row of a Stand.
std::vector<std::string> RowsOf(const BandPlan& plan);

// A heard blow put in its row: the row in which its bell's place comes
// nearest in time. Times are microseconds after the first blow.
struct PlacedBlow {
    long row;
    int place;  // where the band rang it
    int bell;
    double atUs;
    double errorUs;  // heard minus the rhythm's time for it
};
std::vector<PlacedBlow> PlaceBlows(const BandRun& run);

// The rows as heard: the bells of each row in the order they were heard.
std::vector<std::string> HeardRows(const std::vector<PlacedBlow>& blows, std::size_t rows);

}  // namespace robot_band
