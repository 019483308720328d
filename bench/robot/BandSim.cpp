#include "bench/robot/BandSim.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>

#include "tools/robot/Beats.h"

namespace robot_sim {

namespace {

constexpr double kNever = std::numeric_limits<double>::infinity();

struct PersonStrike {
    double time;
    int bell;
    long row;
    int place;
    bool repeat;  // a second click before the echo: it carries the same stroke
    bool extra;   // a blow too many: it turns the bell over
};

bool Listed(const std::vector<std::pair<int, long>>& list, int bell, long row) {
    return std::find(list.begin(), list.end(), std::pair{bell, row}) != list.end();
}

struct Echo {
    double time;
    int bell;
    int stroke;
    long row;
    int place;
    double ideal;
};

// What the people ring: the same calls, heard in the same rows.
std::vector<PersonStrike> ScriptPeople(const Band& band, std::vector<std::string>& rowsRung) {
    robot::RowGenerator rows(band.bells);
    rows.LookTo();
    std::vector<PersonStrike> strikes;
    std::size_t nextCall = 0;
    for (long k = 0; k <= band.lastRow; ++k) {
        const std::optional<robot::Row> row = rows.RowAt(k);
        if (!row) break;
        rowsRung.push_back(row->Symbols());
        for (int place = 0; place < band.bells; ++place) {
            const int bell = row->BellAt(place);
            if (!robot::Holds(band.people, bell)) continue;
            const double ideal = band.ideal(robot::BeatOf(k, place, band.bells));
            const std::optional<double> off = band.timing ? band.timing(bell, k) : std::optional<double>(0.0);
            if (!off) continue;
            strikes.push_back({ideal + *off, bell, k, place, false, false});
            if (Listed(band.doubleClicks, bell, k)) {
                strikes.push_back({ideal + *off + 30'000, bell, k, place, true, false});
            }
            if (Listed(band.extraBlows, bell, k)) {
                const double half = (band.ideal(robot::BeatOf(k, place, band.bells) + 1) - ideal) / 2;
                strikes.push_back({ideal + *off + half, bell, k, place, false, true});
            }
        }
        while (nextCall < band.calls.size() && band.calls[nextCall].during == k) {
            if (const auto call = robot::ReadCall(band.calls[nextCall].text)) rows.Hear(*call, k);
            ++nextCall;
        }
    }
    std::sort(strikes.begin(), strikes.end(), [](const auto& a, const auto& b) { return a.time < b.time; });
    return strikes;
}

}  // namespace

std::function<double(long)> SteadyRhythm(double start, double intervalUs) {
    return [=](long beat) { return start + static_cast<double>(beat) * intervalUs; };
}

Result RunBand(const Band& band) {
    Result result;
    const std::vector<PersonStrike> people = ScriptPeople(band, result.rows);
    robot::RobotRinger ringer(band.bells, band.settings);
    std::mt19937 random(band.seed);
    std::uniform_real_distribution<double> jitter(-band.echoJitterUs, band.echoJitterUs);

    const double lookTo = band.ideal(0) - static_cast<double>(band.settings.startDelay);
    std::vector<std::pair<double, std::string>> calls = {{lookTo, "Look to"}};
    for (const Call& call : band.calls) {
        calls.emplace_back(band.ideal(robot::BeatOf(call.during, 0, band.bells)) + 1'000, call.text);
    }
    const double end = band.ideal(robot::BeatOf(band.lastRow + 2, 0, band.bells));

    std::vector<int> strokes(13, 0);  // what each person's client shows
    std::vector<Echo> echoes;
    std::size_t nextPerson = 0, nextCall = 0;
    double now = lookTo;
    ringer.SetBells(band.robot, band.people, static_cast<Micros>(now));
    while (now < end) {
        const std::optional<robot::PlannedStrike> planned = ringer.Next();
        const double personAt = nextPerson < people.size() ? people[nextPerson].time : kNever;
        const double callAt = nextCall < calls.size() ? calls[nextCall].first : kNever;
        const double robotAt = planned ? std::max(now, static_cast<double>(planned->sendAt)) : kNever;
        auto echo = std::min_element(echoes.begin(), echoes.end(),
                                     [](const Echo& a, const Echo& b) { return a.time < b.time; });
        const double echoAt = echo != echoes.end() ? echo->time : kNever;
        now = std::min({personAt, callAt, robotAt, echoAt});
        if (now == kNever || now >= end) break;
        const auto at = static_cast<Micros>(std::llround(now));
        if (now == callAt) {
            ringer.OnCall(calls[nextCall++].second, at);
        } else if (now == echoAt) {
            const Echo heard = *echo;
            echoes.erase(echo);
            ringer.OnStrike(heard.bell, heard.stroke, at);
            result.robot.push_back({heard.row, heard.place, heard.bell, now, heard.ideal});
        } else if (now == personAt) {
            const PersonStrike& strike = people[nextPerson++];
            int& stroke = strokes[static_cast<std::size_t>(strike.bell)];
            if (!strike.repeat) stroke = 1 - stroke;
            ringer.OnStrike(strike.bell, stroke, at);
            if (!strike.repeat && !strike.extra) {
                const double ideal = band.ideal(robot::BeatOf(strike.row, strike.place, band.bells));
                result.people.push_back({strike.row, strike.place, strike.bell, now, ideal});
            }
        } else {
            ringer.Sent(*planned, at);
            const double ideal = band.ideal(robot::BeatOf(planned->row, planned->place, band.bells));
            echoes.push_back({now + band.echoUs + jitter(random), planned->bell, planned->stroke, planned->row,
                              planned->place, ideal});
        }
    }
    return result;
}

}  // namespace robot_sim
