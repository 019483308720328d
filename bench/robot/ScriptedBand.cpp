#include "bench/robot/ScriptedBand.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "net/Messages.h"
#include "tools/robot/Beats.h"
#include "tools/robot/RowGenerator.h"

namespace robot_band {

namespace {

constexpr int kStrokeCount = 13;

double Micros(BandClock::duration duration) { return std::chrono::duration<double, std::micro>(duration).count(); }

BandClock::time_point After(BandClock::time_point start, double us) {
    return start + std::chrono::duration_cast<BandClock::duration>(std::chrono::duration<double, std::micro>(us));
}

bool Rings(const std::string& bells, char symbol) { return bells.find(symbol) != std::string::npos; }

struct Action {
    double atUs;
    int bell;                // a person's blow, or 0
    const BandEvent* event;  // an event, or nullptr (with bell 0: Look to)
};

}  // namespace

std::vector<std::string> RowsOf(const BandPlan& plan) {
    robot::RowGenerator generator(plan.bells);
    if (plan.method) generator.SetMethod(*plan.method);
    generator.LookTo();
    std::vector<std::string> rows;
    for (long k = 0; k <= plan.lastRow; ++k) {
        const std::optional<robot::Row> row = generator.RowAt(k);
        if (!row) break;
        rows.push_back(row->Symbols());
        for (const BandEvent& event : plan.events) {
            if (event.kind != BandEvent::Kind::Call || event.row != k) continue;
            if (const auto call = robot::ReadCall(event.text)) generator.Hear(*call, k);
        }
    }
    return rows;
}

bool TowerLog::ChatFrom(const std::string& name, const std::string& line) const {
    return std::find(chat.begin(), chat.end(), std::pair{name, line}) != chat.end();
}

BandListener::~BandListener() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
}

bool BandListener::Join(std::uint16_t port, const std::string& tower, const std::string& name) {
    if (!client_.Connect(port) || !client_.Send(msg::Hello()) || !testsupport::ReadTowerList(client_)) return false;
    client_.Send(msg::JoinTower(tower, name));
    const auto entered = client_.Receive();
    if (!entered || msg::TypeOf(*entered) != wire::towerEntered::kType) return false;
    thread_ = std::thread([this] { Listen(); });
    return true;
}

void BandListener::Listen() {
    while (!stop_) {
        if (const auto message = client_.Receive(Millis(50))) Hear(*message, BandClock::now());
        if (client_.ServerClosed()) return;
    }
}

void BandListener::Hear(const MessageBuffer& message, BandClock::time_point at) {
    const std::string_view bytes = message.Bytes();
    std::lock_guard lock(mutex_);
    switch (msg::TypeOf(message)) {
    case wire::strike::kType:
        if (const auto strike = wire::ReadStrike(bytes); strike && strike->bell >= 1 && strike->bell < kStrokeCount) {
            const int stroke = strike->stroke != 0 ? 1 : 0;
            int& shown = strokes_[strike->bell];
            // A strike that does not turn the bell over moves nothing on any client.
            if (stroke == shown) return;
            shown = stroke;
            log_.strikes.push_back({strike->bell, stroke, at});
        }
        break;
    case wire::ringerInfo::kType: {
        const msg::RingerRecord record = msg::ReadRingerInfo(message);
        // Every client lays its bells out again, each back at stroke 0,
        // unless a newcomer rings nothing and does not conduct.
        if (ringers_.contains(record.name) || !record.bells.empty() || record.conductor) strokes_.fill(0);
        ringers_[record.name] = {record.bells, record.conductor};
        log_.records.push_back(record);
        break;
    }
    case wire::ringerLeft::kType: {
        const std::string name(wire::ReadRingerLeft(bytes)->name);
        if (const auto found = ringers_.find(name); found != ringers_.end()) {
            if (!found->second.first.empty() || found->second.second) strokes_.fill(0);
            ringers_.erase(found);
        }
        log_.left.push_back(name);
        break;
    }
    case wire::chat::kType: {
        const auto chat = wire::ReadChat(bytes);
        log_.chat.emplace_back(std::string(chat->name), std::string(chat->line));
        break;
    }
    default: return;
    }
    changed_.notify_all();
}

TowerLog BandListener::Log() const {
    std::lock_guard lock(mutex_);
    return log_;
}

bool BandListener::WaitUntil(const std::function<bool(const TowerLog&)>& done, Millis timeout) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return done(log_); });
}

ScriptedBand::ScriptedBand(std::uint16_t port, std::string tower) : port_(port), tower_(std::move(tower)) {}

bool ScriptedBand::Enter() {
    if (!conductor_.Connect(port_) || !conductor_.Send(msg::Hello()) || !testsupport::ReadTowerList(conductor_))
        return false;
    conductor_.Send(msg::StartTower(tower_, "practice", "Conductor"));
    const auto entered = conductor_.Receive();
    return entered && msg::TypeOf(*entered) == wire::towerEntered::kType && listener_.Join(port_, tower_, "Listener");
}

bool ScriptedBand::WaitForRinger(const std::string& ringer, Millis timeout) {
    return listener_.WaitUntil(
        [&](const TowerLog& log) {
            return std::any_of(log.records.begin(), log.records.end(), [&](const auto& r) { return r.name == ringer; });
        },
        timeout);
}

bool ScriptedBand::Allocate(int bells, const std::string& people, const std::string& robot,
                            const std::string& robotBells) {
    robot_ = robot;
    bellCount_ = bells;
    conductor_.Send(msg::RingerInfo(bells, "Conductor", people, true));
    conductor_.Send(msg::RingerInfo(bells, robot, robotBells, false));
    return listener_.WaitUntil([&](const TowerLog& log) {
        return std::any_of(log.records.begin(), log.records.end(),
                           [&](const auto& r) { return r.name == robot && r.bells == robotBells; });
    });
}

BandRun ScriptedBand::Ring(const BandPlan& plan, Millis tail) {
    BandRun run;
    run.rows = RowsOf(plan);
    const double interval = plan.intervalUs;
    run.beatUs = plan.beatUs ? plan.beatUs : [interval](long beat) { return static_cast<double>(beat) * interval; };

    // Every blow and event in time order; who rings what changes with the events.
    std::vector<Action> actions{{-plan.lookToUs, 0, nullptr}};
    std::string people = plan.people;
    for (long k = 0; k < static_cast<long>(run.rows.size()); ++k) {
        for (int p = 0; p < plan.bells; ++p) {
            const long beat = robot::BeatOf(k, p, plan.bells);
            const char symbol = run.rows[static_cast<std::size_t>(k)][static_cast<std::size_t>(p)];
            const int bell = robot::BellOfSymbol(symbol);
            if (Rings(people, symbol)) {
                const std::optional<double> error = plan.errorUs ? plan.errorUs(bell, k) : 0.0;
                if (error) actions.push_back({run.beatUs(beat) + *error, bell, nullptr});
            }
            for (const BandEvent& event : plan.events) {
                if (event.row != k || event.afterPlace != p) continue;
                // Half way to the next blow, clear of both.
                actions.push_back({(run.beatUs(beat) + run.beatUs(beat + 1)) / 2, 0, &event});
                if (event.kind == BandEvent::Kind::Allocate) people = event.text;
                if (event.kind == BandEvent::Kind::ConductorLeaves) people.clear();
            }
        }
    }
    std::stable_sort(actions.begin(), actions.end(), [](const Action& a, const Action& b) { return a.atUs < b.atUs; });

    std::array<int, kStrokeCount> strokes{};  // as every client shows the people's bells
    std::uint16_t sequence = 0;
    const BandClock::time_point start = BandClock::now();
    run.firstBlow = After(start, plan.lookToUs + 200'000);
    for (const Action& action : actions) {
        std::this_thread::sleep_until(After(run.firstBlow, action.atUs));
        // What the conductor's client is sent meanwhile is not needed.
        while (conductor_.Connected() && conductor_.Receive(Millis(0))) {}
        if (action.bell != 0) {
            int& stroke = strokes[static_cast<std::size_t>(action.bell)];
            stroke = 1 - stroke;
            conductor_.Send(msg::Strike(action.bell, stroke, ++sequence, 0));
        } else if (action.event == nullptr) {
            conductor_.Send(msg::Call("Look to"));
        } else if (action.event->kind == BandEvent::Kind::Call) {
            conductor_.Send(msg::Call(action.event->text));
        } else if (action.event->kind == BandEvent::Kind::Allocate) {
            conductor_.Send(msg::RingerInfo(bellCount_, "Conductor", action.event->text, true));
            conductor_.Send(msg::RingerInfo(bellCount_, robot_, action.event->robotBells, false));
            strokes.fill(0);  // every client lays its bells out again
        } else {
            conductor_.Close();
        }
    }
    std::this_thread::sleep_for(tail);
    for (const HeardBlow& blow : listener_.Log().strikes) {
        if (blow.at >= start) run.heard.push_back(blow);
    }
    return run;
}

std::vector<PlacedBlow> PlaceBlows(const BandRun& run) {
    std::vector<PlacedBlow> placed;
    const int bells = run.rows.empty() ? 0 : static_cast<int>(run.rows.front().size());
    for (const HeardBlow& blow : run.heard) {
        const double at = Micros(blow.at - run.firstBlow);
        const char symbol = robot::BellSymbol(blow.bell);
        PlacedBlow best{-1, -1, blow.bell, at, std::numeric_limits<double>::infinity()};
        for (long k = 0; k < static_cast<long>(run.rows.size()); ++k) {
            const auto place = run.rows[static_cast<std::size_t>(k)].find(symbol);
            if (place == std::string::npos) continue;
            const double error = at - run.beatUs(robot::BeatOf(k, static_cast<int>(place), bells));
            if (std::abs(error) < std::abs(best.errorUs)) best = {k, static_cast<int>(place), blow.bell, at, error};
        }
        if (best.row >= 0) placed.push_back(best);
    }
    return placed;
}

std::vector<std::string> HeardRows(const std::vector<PlacedBlow>& blows, std::size_t rows) {
    std::vector<std::vector<const PlacedBlow*>> byRow(rows);
    for (const PlacedBlow& blow : blows) {
        if (blow.row >= 0 && static_cast<std::size_t>(blow.row) < rows) byRow[blow.row].push_back(&blow);
    }
    std::vector<std::string> heard;
    for (auto& row : byRow) {
        std::sort(row.begin(), row.end(), [](const PlacedBlow* a, const PlacedBlow* b) { return a->atUs < b->atUs; });
        std::string symbols;
        for (const PlacedBlow* blow : row) symbols += robot::BellSymbol(blow->bell);
        heard.push_back(symbols);
    }
    return heard;
}

}  // namespace robot_band
