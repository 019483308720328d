// Plays each input as a script of up to 16 clients (Script.h) against the
// server's rules as its event loop runs them, without sockets or real time,
// once with latency balancing off and once with it on: each connection's
// bytes pass through its ConnectionGate into the TowerHall, a HallWatch
// judges what the hall sends, which is queued against the output cap as the
// server queues it, and a connection closed in a step (by its client, a
// protocol error, a deadline or a backlog over the cap) leaves the hall at
// the end of that step. The clock moves only when the script waits.
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "net/Framing.h"
#include "server/AddressCounts.h"
#include "server/ConnectionGate.h"
#include "server/LogDigest.h"
#include "server/OutputQueue.h"
#include "server/TowerHall.h"
#include "tests/fuzz/server/HallWatch.h"
#include "tests/fuzz/server/Script.h"

namespace fuzzscript {
namespace {

using server::Clock;
using server::ConnectionGate;
using Overdue = server::ConnectionGate::Overdue;

// Small limits, so that short scripts reach them.
constexpr int kMaxConnections = 12, kMaxPerAddress = 5;
constexpr ConnectionGate::Timeouts kTimeouts{std::chrono::seconds(2), std::chrono::seconds(6)};
// Above the round trips the saved seeds' ringers report (40 to 46 ms), so
// that they are balanced, and below many that fuzzed strikes report.
constexpr std::chrono::milliseconds kBalanceCap{60};
// The last address is the first as IPv6 writes it, which counts as the same.
const std::array<asio::ip::address, kAddressCount> kAddresses = {
    asio::ip::make_address("10.0.0.1"), asio::ip::make_address("10.0.0.2"), asio::ip::make_address("10.0.0.3"),
    asio::ip::make_address("::ffff:10.0.0.1")};

// The log's lines are built and written as in the server, and thrown away
// unless TOLMER_FUZZ_LOG is set, to follow what an input does.
std::FILE* const logFile = std::getenv("TOLMER_FUZZ_LOG") ? stderr : std::fopen("/dev/null", "w");

// The hall's outbox, and its clock too.
class SocketlessServer final : private server::Outbox, private Clock {
public:
    explicit SocketlessServer(Clock::Duration balanceCap)
        // Holds reach their aim within a few waits.
        : limits_{4, 5, {5, 3}, {20, 6}, balanceCap, std::chrono::milliseconds(100)},
          hall_(*this, log_, digest_, *this, limits_) {}

    void Play(std::string_view script) {
        while (const auto step = NextStep(script)) {
            const auto id = static_cast<ConnectionId>(step->connection);
            switch (step->op) {
            case Op::Connect: Connect(id, step->address); break;
            case Op::Send: Receive(id, step->bytes); break;
            case Op::Close: connections_[id].doomed = connections_[id].open; break;
            case Op::Read: Read(connections_[id]); break;
            case Op::Wait: Wait(step->wait); break;
            }
            Settle();
            watch_.CheckTotals();
            int counted = 0;
            for (int i = 0; i + 1 < kAddressCount; ++i) counted += addresses_.CountOf(kAddresses[i]);
            Require(counted == Admitted(), "admitted connections and those counted by address do not add up");
        }
    }

private:
    struct Connection {
        bool open = false;
        bool admitted = false;  // in the hall and counted against the limits
        bool doomed = false;    // to be closed at the end of the step
        asio::ip::address address;
        std::optional<ConnectionGate> gate;
        // What the client sent that the hall has not taken yet, framed here
        // apart from the gate, so that a gate that lost or mixed up bytes shows.
        std::string unread;
        Clock::TimePoint connectedAt{};
        std::optional<Clock::TimePoint> greetedAt;
        server::OutputQueue output;
    };

    int Admitted() const { return static_cast<int>(std::ranges::count_if(connections_, &Connection::admitted)); }

    void Connect(ConnectionId id, int address) {
        Connection& connection = connections_[id];
        if (connection.open) return;  // the script's name for a connection still in use
        connection.open = true;
        connection.address = kAddresses[address];
        // Beyond the limits a connection is turned away and never meets the hall.
        if (addresses_.AtLimit(connection.address) || Admitted() >= kMaxConnections) return;
        connection.admitted = true;
        addresses_.Add(connection.address);
        hall_.Connect(id, ++accepted_);
        watch_.Connected(id);
        connection.gate.emplace(id, kTimeouts, Now());
        connection.connectedAt = Now();
    }

    void Receive(ConnectionId id, std::string_view bytes) {
        Connection& connection = connections_[id];
        if (!connection.admitted) return;
        // The event loop reads new bytes in behind the kept ones.
        const std::string input = std::string(connection.gate->Kept()) + std::string(bytes);
        connection.unread += bytes;
        const auto nextMessage = [&connection] {
            const wire::Frame frame = wire::ScanFrame(connection.unread, wire::kFromClient);
            return frame.status == wire::FrameStatus::Complete ? connection.unread.substr(0, frame.length) : "";
        };
        const auto outcome = connection.gate->Receive(hall_, input, Now(), [&] {
            const std::string message = nextMessage();
            Require(!message.empty(), "the gate handed the hall a message the client did not send");
            watch_.Handled(id, message);
            connection.unread.erase(0, message.size());
            return !connection.doomed;
        });
        if (!outcome.protocolError) {
            Require(connection.doomed || connection.gate->Kept() == connection.unread,
                    "the gate kept other bytes than the start of the client's next message");
            if (!connection.greetedAt && hall_.Greeted(id)) connection.greetedAt = Now();
            return;
        }
        // The hall refused a whole message, or the framing a length field.
        if (const std::string message = nextMessage(); !message.empty()) watch_.Refused(id, message);
        else
            Require(wire::ScanFrame(connection.unread, wire::kFromClient).status == wire::FrameStatus::Invalid,
                    "a protocol error without a message or a length field to blame");
        connection.doomed = true;
    }

    // The client frames the stream as it comes: every message whole, nothing left over.
    void Read(Connection& connection) {
        const std::string_view pending = connection.output.Pending();
        const wire::FrameRun run = wire::ForEachFrame(pending, wire::kFromServer, [](std::string_view) {});
        Require(!run.invalid && run.consumed == pending.size(), "the output does not frame into whole messages");
        connection.output.Consume(pending.size());
    }

    void Wait(Clock::Duration time) {
        const auto now = now_ += time;
        digest_.Summarise(now);
        for (ConnectionId id = 0; id < connections_.size(); ++id) {
            Connection& connection = connections_[id];
            connection.output.Release(now);
            Require(connection.output.NextRelease().value_or(Clock::TimePoint::max()) > now,
                    "held output was not released when its time came");
            if (!connection.admitted || connection.doomed) continue;
            // What the lobby's deadlines ask by now, as the client could tell.
            const auto due = !connection.greetedAt
                                 ? (now - connection.connectedAt >= kTimeouts.hello ? Overdue::Hello : Overdue::No)
                             : !hall_.InTower(id) && now - *connection.greetedAt >= kTimeouts.join ? Overdue::Tower
                                                                                                   : Overdue::No;
            const auto overdue = connection.gate->Check(hall_, now);
            Require(overdue == due, "a lobby deadline was missed or came early");
            connection.doomed = overdue == Overdue::Hello;
            // Turned away: out of the hall at once, while its notice goes out.
            if (overdue == Overdue::Tower) LeaveHall(connection, id);
        }
    }

    Clock::Duration Send(ConnectionId to, std::string_view message, Clock::Duration hold) override {
        watch_.Sent(to, message);
        // Only members of a tower are held, and never beyond the slowest round trip balanced.
        Require(hold <= Clock::Duration::zero() || (hall_.InTower(to) && hold < limits_.balanceCap),
                "output held outside a tower, with balancing off, or as long as its cap");
        Connection& connection = connections_[to];
        if (!connection.open || connection.doomed) return hold;
        // As the server queues it: behind whatever is held already, counted against the cap.
        const auto now = Now();
        const auto until = std::max(now + hold, connection.output.HeldUntil().value_or(now));
        const bool queued = until > now ? connection.output.Hold(message, outputCap_, until)
                                        : connection.output.Append(message, outputCap_);
        connection.doomed = !queued;
        return until - now;
    }

    void LeaveHall(Connection& connection, ConnectionId id) {
        connection.admitted = false;
        addresses_.Remove(connection.address);
        hall_.Disconnect(id);
        watch_.Disconnected(id);
    }

    // Ends a step: closes what it doomed, which may doom more.
    void Settle() {
        for (ConnectionId id = 0; id < connections_.size(); ++id) {
            if (!connections_[id].doomed) continue;
            if (connections_[id].admitted) LeaveHall(connections_[id], id);
            connections_[id] = Connection{};
            return Settle();  // its leaving may have doomed one before it
        }
    }

    TimePoint Now() const override { return now_; }

    TimePoint now_{};
    const server::HallLimits limits_;
    server::Log log_{logFile != stderr, logFile};
    server::LogDigest digest_{log_};
    server::TowerHall hall_;
    HallWatch watch_{hall_, limits_};
    server::AddressCounts addresses_{kMaxPerAddress};
    const std::size_t outputCap_ = server::OutputCap(1024, limits_.maxTowers, limits_.maxRingersPerTower);
    std::array<Connection, kConnectionCount> connections_;
    std::uint64_t accepted_ = 0;
};

}  // namespace
}  // namespace fuzzscript

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    for (const auto balanceCap : {std::chrono::milliseconds(0), fuzzscript::kBalanceCap})
        fuzzscript::SocketlessServer(balanceCap).Play(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
