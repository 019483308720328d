// robot-band: the real tolmer-robot in a band of scripted people on loopback
// through the real tolmer-server, in real time. People strike their bells
// with a timing error of standard deviation 15 ms around 240 ms a blow; the
// robot rings the rest. Its strikes are timed as a listening client hears
// them and compared with the band's underlying rhythm. Prints Markdown: each
// figure as the median of the runs with their spread, beside the load average.
//
//   robot-band [--runs N] [--quick]     (--quick: no Cambridge Surprise Major)
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bench/robot/ScriptedBand.h"
#include "tests/support/ServerProcess.h"
#include "tools/robot/Beats.h"
#include "tools/robot/MethodLibrary.h"

namespace {

using robot_band::BandEvent;
using robot_band::BandPlan;
using robot_band::BandRun;
using robot_band::PlacedBlow;

constexpr double kIntervalUs = 240'000;
constexpr double kPersonErrorUs = 15'000;
constexpr long kSettleRows = 2;  // rows of rounds before the robot is counted
constexpr auto Call = BandEvent::Call;

std::string LoadAverage() {
    std::ifstream in("/proc/loadavg");
    double one = 0, five = 0, fifteen = 0;
    in >> one >> five >> fifteen;
    char text[64];
    std::snprintf(text, sizeof text, "%.2f %.2f %.2f", one, five, fifteen);
    return text;
}

struct Scenario {
    BandPlan plan;
    std::string people;
    std::string robot;
};

// One ring: a fresh server, the robot and the band; the blows as heard.
struct Rung {
    BandRun run;
    std::vector<PlacedBlow> robot;
    std::vector<PlacedBlow> people;
    std::string loadBefore, loadAfter;
};

Rung Ring(const Scenario& scenario) {
    Rung rung;
    rung.loadBefore = LoadAverage();
    testsupport::ServerProcess server;
    if (!server.Start(TOLMER_SERVER_BINARY)) {
        std::fprintf(stderr, "robot-band: %s\n", server.Error().c_str());
        std::exit(2);
    }
    robot_band::ScriptedBand band(server.Port());
    testsupport::ProgramProcess robot;
    if (!band.Enter() ||
        !robot.Start(TOLMER_ROBOT_BINARY,
                     {"--server", "127.0.0.1", "--port", std::to_string(server.Port()), "--tower", "St Mary",
                      "--interval", std::to_string(static_cast<int>(kIntervalUs / 1000))}) ||
        !band.WaitForRinger("Robot") || !band.Allocate(scenario.plan.bells, scenario.people, "Robot", scenario.robot)) {
        std::fprintf(stderr, "robot-band: the band could not gather; the robot said:\n%s%s\n", robot.Out().c_str(),
                     robot.Err().c_str());
        std::exit(2);
    }
    rung.run = band.Ring(scenario.plan);
    robot.Stop();
    for (const PlacedBlow& blow : robot_band::PlaceBlows(rung.run)) {
        const bool robots = scenario.robot.find(robot::BellSymbol(blow.bell)) != std::string::npos;
        (robots ? rung.robot : rung.people).push_back(blow);
    }
    rung.loadAfter = LoadAverage();
    return rung;
}

double RmsMs(const std::vector<PlacedBlow>& blows, long fromRow, long toRow, double offsetUs = 0) {
    double sum = 0;
    int count = 0;
    for (const PlacedBlow& blow : blows) {
        if (blow.row < fromRow || blow.row > toRow) continue;
        const double error = blow.errorUs - offsetUs;
        sum += error * error;
        ++count;
    }
    return count ? std::sqrt(sum / count) / 1000.0 : 0.0;
}

std::function<std::optional<double>(int, long)> NoisyPeople(std::uint32_t seed, int lateBell = 0, long lateRow = -1) {
    auto random = std::make_shared<std::mt19937>(seed);
    auto normal = std::make_shared<std::normal_distribution<double>>(0.0, kPersonErrorUs);
    return [=](int bell, long row) -> std::optional<double> {
        const double error = (*normal)(*random);
        return bell == lateBell && row == lateRow ? 400'000 + error : error;
    };
}

Scenario Minor(std::uint32_t seed) {
    Scenario s;
    s.people = "135";
    s.robot = "246";
    s.plan.bells = 6;
    s.plan.people = s.people;
    // Go during row 4: the plain course runs from row 6 to rounds at row 65.
    s.plan.events = {Call(4, "Go Plain Bob Minor"), Call(50, "That's All"), Call(68, "Stand")};
    s.plan.lastRow = 69;
    s.plan.errorUs = NoisyPeople(seed);
    return s;
}

Scenario Major(std::uint32_t seed) {
    Scenario s = Minor(seed);
    s.people = "1458";
    s.robot = "2367";
    s.plan.bells = 8;
    s.plan.people = s.people;
    // The plain course of Cambridge runs from row 6 to rounds at row 229.
    s.plan.events = {Call(4, "Go Cambridge Surprise Major"), Call(200, "That's All"), Call(232, "Stand")};
    s.plan.lastRow = 233;
    return s;
}

// The figures of several runs: the median, with the lowest and highest.
struct Figures {
    std::vector<double> values;
    double Median() const {
        std::vector<double> v = values;
        std::sort(v.begin(), v.end());
        return v.empty() ? 0 : v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
    }
    std::string Spread() const {
        char text[64];
        std::snprintf(text, sizeof text, "%.1f to %.1f", *std::min_element(values.begin(), values.end()),
                      *std::max_element(values.begin(), values.end()));
        return text;
    }
};

bool allMet = true;
std::vector<std::string> loads;

void Target(const char* what, const Figures& figures, double limit) {
    const bool met = figures.Median() <= limit;
    allMet = allMet && met;
    std::printf("| %s | %.1f ms | %s | <= %.0f ms | %s |\n", what, figures.Median(), figures.Spread().c_str(), limit,
                met ? "met" : "MISSED");
}

void Figure(const char* what, const Figures& figures) {
    std::printf("| %s | %.1f ms | %s | | |\n", what, figures.Median(), figures.Spread().c_str());
}

void Keep(const Rung& rung) { loads.push_back(rung.loadBefore + " / " + rung.loadAfter); }

void Steady(int runs, bool major) {
    Figures rms, people;
    for (int run = 1; run <= runs; ++run) {
        const Scenario scenario = major ? Major(run) : Minor(run);
        const Rung rung = Ring(scenario);
        Keep(rung);
        rms.values.push_back(RmsMs(rung.robot, kSettleRows, scenario.plan.lastRow));
        people.values.push_back(RmsMs(rung.people, kSettleRows, scenario.plan.lastRow));
    }
    const char* title = major ? "Cambridge Surprise Major, people on 1 4 5 8" : "Plain Bob Minor, people on 1 3 5";
    Figure((std::string(title) + ": the people's RMS error").c_str(), people);
    Target((std::string(title) + ": the robot's RMS error").c_str(), rms, 20);
}

void Slowing(int runs) {
    // The band slows from 240 to 264 ms a blow over rows 20 to 23.
    const long rampFirst = 20, rampLast = 23, first = 18, last = 33;
    std::vector<Figures> perRow(static_cast<std::size_t>(last - first + 1));
    Figures after;
    for (int run = 1; run <= runs; ++run) {
        Scenario scenario = Minor(run);
        scenario.plan.events = {Call(4, "Go Plain Bob Minor"), Call(42, "Stand")};
        scenario.plan.lastRow = 43;
        const long rampStart = robot::BeatOf(rampFirst, 0, 6), rampEnd = robot::BeatOf(rampLast + 1, 0, 6);
        auto times = std::make_shared<std::vector<double>>(1, 0.0);
        for (long beat = 0; beat < robot::BeatOf(scenario.plan.lastRow + 3, 0, 6); ++beat) {
            const double f = std::clamp(static_cast<double>(beat - rampStart) / (rampEnd - rampStart), 0.0, 1.0);
            times->push_back(times->back() + kIntervalUs * (1.0 + 0.1 * f));
        }
        scenario.plan.beatUs = [times](long beat) { return (*times)[static_cast<std::size_t>(beat)]; };
        const Rung rung = Ring(scenario);
        Keep(rung);
        for (long row = first; row <= last; ++row) {
            perRow[static_cast<std::size_t>(row - first)].values.push_back(RmsMs(rung.robot, row, row));
        }
        after.values.push_back(RmsMs(rung.robot, rampLast + 7, scenario.plan.lastRow));
    }
    std::printf("\n### The band slows by 10 %% over four rows (rows %ld to %ld)\n\n", rampFirst, rampLast);
    std::printf("RMS error of the robot's blows in each row, median of the runs:\n\n| row |");
    for (long row = first; row <= last; ++row) std::printf(" %ld |", row);
    std::printf("\n|---|");
    for (long row = first; row <= last; ++row) std::printf("---|");
    std::printf("\n| ms |");
    for (const Figures& row : perRow) std::printf(" %.0f |", row.Median());
    std::printf("\n\n| figure | median | runs | limit | |\n|---|---|---|---|---|\n");
    Target("RMS from six rows after the slowing ends to the end", after, 20);
}

void OneLate(int runs) {
    // A person's bell in row 30 with one of the robot's next after it.
    const long lateRow = 30;
    Scenario probe = Minor(1);
    const std::string row = robot_band::RowsOf(probe.plan)[lateRow];
    std::size_t place = 0;
    while (probe.people.find(row[place]) == std::string::npos ||
           probe.robot.find(row[place + 1]) == std::string::npos) {
        ++place;
    }
    const int lateBell = robot::BellOfSymbol(row[place]);
    Figures waited, closeUp, nextRow;
    for (int run = 1; run <= runs; ++run) {
        Scenario scenario = Minor(run);
        scenario.plan.events = {Call(4, "Go Plain Bob Minor"), Call(40, "Stand")};
        scenario.plan.lastRow = 41;
        scenario.plan.errorUs = NoisyPeople(run, lateBell, lateRow);
        const Rung rung = Ring(scenario);
        Keep(rung);
        const double due = rung.run.beatUs(robot::BeatOf(lateRow, static_cast<int>(place), 6));
        for (const PlacedBlow& blow : rung.robot) {
            if (blow.row == lateRow && blow.place == static_cast<int>(place) + 1)
                waited.values.push_back((blow.atUs - due) / 1000);
        }
        nextRow.values.push_back(RmsMs(rung.robot, lateRow + 1, lateRow + 1));
        closeUp.values.push_back(RmsMs(rung.robot, lateRow + 2, lateRow + 2));
    }
    std::printf("\n### One person 400 ms late (bell %d in row %ld, place %zu; the robot's bell %c follows)\n\n",
                lateBell, lateRow, place + 1, row[place + 1]);
    std::printf("| figure | median | runs | limit | |\n|---|---|---|---|---|\n");
    Figure(
        "the robot's following blow, after the late blow was due (it waits for it, or 1.5 blows from where it was due)",
        waited);
    Figure("RMS of the robot's blows in the row after", nextRow);
    Target("RMS of the robot's blows two rows after the late one", closeUp, 20);
}

void Alone(int runs) {
    Figures rms;
    for (int run = 1; run <= runs; ++run) {
        Scenario scenario = Minor(run);
        scenario.people = "";
        scenario.robot = "123456";
        scenario.plan.people = "";
        scenario.plan.events = {Call(4, "Go Plain Bob Minor"), Call(36, "Stand")};
        scenario.plan.lastRow = 37;
        scenario.plan.lookToUs = 2'000'000;  // it starts two seconds after Look to
        const Rung rung = Ring(scenario);
        Keep(rung);
        // Against its own interval: the line of that slope through its blows.
        double offset = 0;
        for (const PlacedBlow& blow : rung.robot) offset += blow.errorUs;
        offset /= std::max<std::size_t>(rung.robot.size(), 1);
        rms.values.push_back(RmsMs(rung.robot, 1, scenario.plan.lastRow, offset));
    }
    std::printf(
        "\n### The robot ringing all six bells alone\n\n| figure | median | runs | limit | |\n|---|---|---|---|---|\n");
    Target("RMS error against its own interval of 240 ms", rms, 5);
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 3;
    bool quick = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc) runs = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--quick") quick = true;
        else {
            std::fprintf(stderr, "usage: robot-band [--runs N] [--quick]\n");
            return 2;
        }
    }
    std::printf("## The robot ringer with a band, through the real server\n\n");
    std::printf(
        "Scripted people strike with a normal timing error of %.0f ms around %.0f ms a blow, on loopback\n"
        "through tolmer-server; tolmer-robot rings the rest. Errors are the robot's strikes as a listening\n"
        "client heard them, against the band's underlying rhythm, from row %ld on. %d runs per figure:\n"
        "the median, and the lowest and highest run.\n\n",
        kPersonErrorUs / 1000, kIntervalUs / 1000, kSettleRows, runs);
    std::printf(
        "### Steady band, rounds then a plain course\n\n| figure | median | runs | limit | |\n|---|---|---|---|---|\n");
    Steady(runs, false);
    if (!quick) Steady(runs, true);
    Slowing(runs);
    OneLate(runs);
    Alone(runs);
    std::printf("\nLoad average (1, 5, 15 minutes) before / after each run, in order:\n\n");
    for (const std::string& load : loads) std::printf("- %s\n", load.c_str());
    std::printf("\n%s\n", allMet ? "All targets met." : "Some targets missed.");
    return allMet ? 0 : 1;
}
