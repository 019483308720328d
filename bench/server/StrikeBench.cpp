// What the server spends on one strike, network aside: cutting it out of the
// input, checking that the sender rings that bell, and queueing it for each
// of the tower's M connections. Run: server_strike_bench [--benchmark_filter=...]
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "net/Framing.h"
#include "net/Wire.h"
#include "server/Log.h"
#include "server/OutputQueue.h"
#include "server/TowerHall.h"
#include "tests/support/TestMessages.h"

namespace {

namespace msg = testsupport::msg;

constexpr std::size_t kOutputCap = 1024 * 1024;
constexpr int kStrikesPerTurn = 64;  // the output queues are drained after this many

// Queues every message the hall sends, as the server does, per connection.
class QueueOutbox final : public server::Outbox {
public:
    server::Clock::Duration Send(server::ConnectionId to, std::string_view message,
                                 server::Clock::Duration /*hold: balancing is off*/) override {
        if (to >= queues.size()) queues.resize(to + 1);
        queues[to].Append(message, kOutputCap);
        return {};
    }
    void Drain() {
        for (auto& queue : queues) queue.Consume(queue.Size());
    }
    std::vector<server::OutputQueue> queues;
};

// The rate limit on strikes is checked as in the server, with a rate so high
// that the benchmark's stream of strikes never meets it.
server::HallLimits Limits() {
    server::HallLimits limits;
    limits.strikes = {1'000'000'000, 1'000'000'000};
    return limits;
}

// A hall with one tower of `ringers` connections (ids 0 to ringers - 1), ringer
// i on bell i + 1, everybody's greeting output already drained.
struct Tower {
    explicit Tower(int ringers) : log(true, nowhere.get()), digest(log), hall(outbox, log, digest, clock, Limits()) {
        for (int i = 0; i < ringers; ++i) {
            const auto id = static_cast<server::ConnectionId>(i);
            const std::string name = "ringer-" + std::to_string(i + 1);
            hall.Connect(id, id + 1);
            hall.Receive(id, msg::Hello().Bytes());
            hall.Receive(id, (i == 0 ? msg::StartTower("bench", "", name) : msg::JoinTower("bench", name)).Bytes());
        }
        hall.Receive(0, msg::RingerInfo(0, "ringer-1", "", true).Bytes());
        for (int i = 0; i < ringers; ++i)
            hall.Receive(0, msg::RingerInfo(ringers, "ringer-" + std::to_string(i + 1),
                                            wire::kBellSymbols.substr(static_cast<std::size_t>(i), 1), i == 0)
                                .Bytes());
        outbox.Drain();
    }

    // Refused strikes are logged; the log goes nowhere here.
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> nowhere{std::fopen("/dev/null", "w"), &std::fclose};
    QueueOutbox outbox;
    server::Log log;
    server::LogDigest digest;
    server::SteadyClock clock;
    server::TowerHall hall;
};

// A stream of strikes as one ringer's connection delivers it.
std::string StrikeStream(int bell, int count) {
    std::string stream;
    for (int i = 0; i < count; ++i) stream += msg::Strike(bell, i % 2, i + 1, 20).Bytes();
    return stream;
}

void BM_StrikeRelay(benchmark::State& state) {
    const int ringers = static_cast<int>(state.range(0));
    Tower tower(ringers);
    const std::string stream = StrikeStream(ringers, kStrikesPerTurn);
    const server::ConnectionId sender = static_cast<server::ConnectionId>(ringers - 1);
    const auto relayedBefore = tower.hall.Counters().relayed;
    for (auto _ : state) {
        std::string_view input = stream;
        while (!input.empty()) {
            const auto frame = wire::ScanFrame(input, wire::kFromClient);
            tower.hall.Receive(sender, input.substr(0, frame.length));
            input.remove_prefix(frame.length);
        }
        tower.outbox.Drain();
    }
    if (tower.hall.Counters().relayed - relayedBefore !=
        static_cast<std::uint64_t>(state.iterations()) * kStrikesPerTurn)
        state.SkipWithError("the hall refused strikes");
    state.SetItemsProcessed(state.iterations() * kStrikesPerTurn);
    state.counters["deliveries/s"] = benchmark::Counter(
        static_cast<double>(state.iterations() * kStrikesPerTurn * ringers), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_StrikeRelay)->Arg(1)->Arg(4)->Arg(8)->Arg(12);

// A strike for a bell the sender does not ring: checked and dropped.
void BM_StrikeRefused(benchmark::State& state) {
    Tower tower(8);
    const std::string stream = StrikeStream(1, kStrikesPerTurn);  // bell 1 is ringer-1's
    const auto relayedBefore = tower.hall.Counters().relayed;
    for (auto _ : state) {
        std::string_view input = stream;
        while (!input.empty()) {
            const auto frame = wire::ScanFrame(input, wire::kFromClient);
            tower.hall.Receive(7, input.substr(0, frame.length));
            input.remove_prefix(frame.length);
        }
    }
    if (tower.hall.Counters().relayed != relayedBefore || tower.hall.DroppedFrom(7) == 0)
        state.SkipWithError("the hall relayed a strike it should refuse");
    state.SetItemsProcessed(state.iterations() * kStrikesPerTurn);
}
BENCHMARK(BM_StrikeRefused);

}  // namespace
