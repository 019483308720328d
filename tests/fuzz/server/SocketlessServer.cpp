#include "tests/fuzz/server/SocketlessServer.h"

#include <algorithm>
#include <cstdlib>

#include "net/Framing.h"

namespace fuzzscript {
namespace {

// Small limits, so that short scripts reach them.
server::HallLimits Limits(server::Clock::Duration balanceCap) {
    server::HallLimits limits{4, 5, {5, 3}, {20, 6}};
    limits.balanceCap = balanceCap;
    limits.balanceDriftPerSecond = std::chrono::milliseconds(100);  // holds reach their aim within a few waits
    return limits;
}
constexpr int kMaxConnections = 12;
constexpr int kMaxPerAddress = 5;
constexpr server::ConnectionGate::Timeouts kTimeouts{std::chrono::seconds(2), std::chrono::seconds(6)};
// The last address is the first as IPv6 writes it, which counts as the same.
const std::array<asio::ip::address, kAddressCount> kAddresses = {
    asio::ip::make_address("10.0.0.1"), asio::ip::make_address("10.0.0.2"), asio::ip::make_address("10.0.0.3"),
    asio::ip::make_address("::ffff:10.0.0.1")};

[[noreturn]] void Broken(const char* rule) {
    std::fprintf(stderr, "broken rule: %s\n", rule);
    std::abort();
}

}  // namespace

SocketlessServer::SocketlessServer(std::FILE* log, bool quiet, server::Clock::Duration balanceCap)
    : limits_(Limits(balanceCap)),
      log_(quiet, log),
      digest_(log_),
      hall_(*this, log_, digest_, clock_, limits_),
      watch_(hall_, limits_),
      addresses_(kMaxPerAddress),
      outputCap_(server::OutputCap(1024, limits_.maxTowers, limits_.maxRingersPerTower)) {}

void SocketlessServer::Play(std::string_view script) {
    ScriptReader reader(script);
    while (const auto step = reader.Next()) {
        const auto id = static_cast<ConnectionId>(step->connection);
        switch (step->kind) {
        case Step::Kind::Connect: Connect(id, step->address); break;
        case Step::Kind::Send: Receive(id, step->bytes); break;
        case Step::Kind::Close:
            if (connections_[id].open) Doom(id, "closed by the client");
            break;
        case Step::Kind::Read: Read(id); break;
        case Step::Kind::Wait: Wait(step->wait); break;
        }
        Settle();
        CheckTotals();
    }
}

void SocketlessServer::Connect(ConnectionId id, int address) {
    Connection& connection = connections_[id];
    if (connection.open) return;  // the script's name for a connection still in use
    connection.open = true;
    connection.address = kAddresses[address];
    connection.number = ++accepted_;
    // Beyond the limits a connection is turned away and never meets the hall.
    if (addresses_.AtLimit(connection.address) || admitted_ >= kMaxConnections)
        return log_.Info(server::ConnectionTag(connection.number) + " turned away at the door");
    connection.admitted = true;
    ++admitted_;
    addresses_.Add(connection.address);
    hall_.Connect(id, connection.number);
    watch_.Connected(id);
    connection.gate.emplace(id, kTimeouts, clock_.Now());
    connection.connectedAt = clock_.Now();
}

void SocketlessServer::Receive(ConnectionId id, std::string_view bytes) {
    Connection& connection = connections_[id];
    if (!connection.admitted) return;
    // The event loop reads new bytes in behind the kept ones.
    const std::string input = std::string(connection.gate->Kept()) + std::string(bytes);
    connection.unread += bytes;
    const auto nextMessage = [&connection] {
        const wire::Frame frame = wire::ScanFrame(connection.unread, wire::kFromClient);
        return frame.status == wire::FrameStatus::Complete ? connection.unread.substr(0, frame.length) : std::string();
    };
    const auto outcome = connection.gate->Receive(hall_, input, clock_.Now(), [&] {
        const std::string message = nextMessage();
        if (message.empty()) Broken("the gate handed the hall a message the client did not send");
        watch_.Handled(id, message);
        connection.unread.erase(0, message.size());
        return !connection.doomed;
    });
    if (!outcome.protocolError) {
        if (!connection.doomed && connection.gate->Kept() != connection.unread)
            Broken("the gate kept other bytes than the start of the client's next message");
        if (!connection.greetedAt && hall_.Greeted(id)) connection.greetedAt = clock_.Now();
        return;
    }
    // The hall refused a whole message, or the framing a length field.
    if (const std::string message = nextMessage(); !message.empty()) watch_.Refused(id, message);
    else if (wire::ScanFrame(connection.unread, wire::kFromClient).status != wire::FrameStatus::Invalid)
        Broken("a protocol error without a message or a length field to blame");
    Doom(id, "protocol error: " + *outcome.protocolError);
}

void SocketlessServer::Read(ConnectionId id) {
    Connection& connection = connections_[id];
    // The client frames the stream as it comes: every message whole, nothing left over.
    const std::string_view pending = connection.output.Pending();
    const wire::FrameRun run = wire::ForEachFrame(pending, wire::kFromServer, [](std::string_view) {});
    if (run.invalid || run.consumed != pending.size()) Broken("the output does not frame into whole messages");
    connection.output.Consume(pending.size());
}

void SocketlessServer::Wait(server::Clock::Duration time) {
    clock_.Advance(time);
    digest_.Summarise(clock_.Now());
    for (ConnectionId id = 0; id < connections_.size(); ++id) {
        Connection& connection = connections_[id];
        connection.output.Release(clock_.Now());
        if (const auto next = connection.output.NextRelease(); next && *next <= clock_.Now())
            Broken("held output was not released when its time came");
        if (!connection.admitted || connection.doomed) continue;
        const auto overdue = connection.gate->Check(hall_, clock_.Now());
        if (overdue != Due(connection, id)) Broken("a lobby deadline was missed or came early");
        switch (overdue) {
        case server::ConnectionGate::Overdue::No: break;
        case server::ConnectionGate::Overdue::Hello: Doom(id, "no Hello in time"); break;
        // Turned away: out of the hall at once, while its notice goes out.
        case server::ConnectionGate::Overdue::Tower:
            LeaveHall(connection, id, "turned away: in no tower in time");
            break;
        }
    }
}

server::ConnectionGate::Overdue SocketlessServer::Due(const Connection& connection, ConnectionId id) const {
    using Overdue = server::ConnectionGate::Overdue;
    const auto now = clock_.Now();
    if (!connection.greetedAt) return now - connection.connectedAt >= kTimeouts.hello ? Overdue::Hello : Overdue::No;
    if (hall_.InTower(id)) return Overdue::No;
    return now - *connection.greetedAt >= kTimeouts.join ? Overdue::Tower : Overdue::No;
}

server::Clock::Duration SocketlessServer::Send(ConnectionId to, std::string_view message,
                                               server::Clock::Duration hold) {
    watch_.Sent(to, message);
    // Only members of a tower are held, and never beyond the slowest round trip balanced.
    if (hold > server::Clock::Duration::zero() && !hall_.InTower(to)) Broken("output outside a tower was held");
    if (hold > server::Clock::Duration::zero() && hold >= limits_.balanceCap)
        Broken("output was held with balancing off, or as long as its cap");
    Connection& connection = connections_[to];
    if (!connection.open || connection.doomed) return hold;
    // As the server queues it: behind whatever is held already, counted against the cap.
    const auto now = clock_.Now();
    const auto until = std::max(now + hold, connection.output.HeldUntil().value_or(now));
    const bool queued = until > now ? connection.output.Hold(message, outputCap_, until)
                                    : connection.output.Append(message, outputCap_);
    if (!queued) Doom(to, "too slow");
    return until - now;
}

void SocketlessServer::Doom(ConnectionId id, const std::string& why) {
    Connection& connection = connections_[id];
    if (connection.doomed) return;
    connection.doomed = true;
    connection.why = why;
    doomed_.push_back(id);
}

void SocketlessServer::LeaveHall(Connection& connection, ConnectionId id, const std::string& why) {
    log_.Info(server::ConnectionTag(connection.number) + " " + why);
    connection.admitted = false;
    --admitted_;
    addresses_.Remove(connection.address);
    hall_.Disconnect(id);
    watch_.Disconnected(id);
}

void SocketlessServer::Settle() {
    while (!doomed_.empty()) {
        const ConnectionId id = doomed_.back();
        doomed_.pop_back();
        Connection& connection = connections_[id];
        if (connection.admitted) LeaveHall(connection, id, "closed: " + connection.why);
        connection = Connection{};
    }
}

void SocketlessServer::CheckTotals() const {
    watch_.CheckTotals();
    int admitted = 0;
    for (const Connection& connection : connections_) admitted += connection.admitted ? 1 : 0;
    int counted = 0;
    for (std::size_t i = 0; i + 1 < kAddresses.size(); ++i) counted += addresses_.CountOf(kAddresses[i]);
    if (admitted != admitted_ || counted != admitted_)
        Broken("admitted connections, and those counted by address, do not add up");
}

}  // namespace fuzzscript
