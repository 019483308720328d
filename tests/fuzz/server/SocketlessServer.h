// The server as its event loop runs it, without sockets or real time: a
// script's clients connect, send, read and close, and its clock moves only
// when the script waits. Each connection's bytes pass through its
// ConnectionGate into the TowerHall, what the hall sends is judged by a
// HallWatch and queued against the output cap as the server queues it, and
// a connection closed in a step (by its client, a protocol error, a deadline
// or a backlog over the cap) leaves the hall at the end of that step. With
// latency balancing on, what the hall holds is released as the clock moves.
#pragma once

#include <array>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "server/AddressCounts.h"
#include "server/ConnectionGate.h"
#include "server/LogDigest.h"
#include "server/OutputQueue.h"
#include "server/TowerHall.h"
#include "tests/fuzz/server/HallWatch.h"
#include "tests/fuzz/server/Script.h"

namespace fuzzscript {

class ManualClock final : public server::Clock {
public:
    TimePoint Now() const override { return now_; }
    void Advance(Duration by) { now_ += by; }

private:
    TimePoint now_{};
};

class SocketlessServer final : private server::Outbox {
public:
    // The hall's log goes to `log`, only its warnings when `quiet`; it
    // balances round trips up to `balanceCap` (zero: off).
    SocketlessServer(std::FILE* log, bool quiet, server::Clock::Duration balanceCap);
    void Play(std::string_view script);

private:
    struct Connection {
        bool open = false;
        bool admitted = false;  // in the hall and counted against the limits
        bool doomed = false;
        std::string why;           // for the log, when doomed
        std::uint64_t number = 0;  // its name in the log
        asio::ip::address address;
        std::optional<server::ConnectionGate> gate;
        // What the client sent that the hall has not taken yet, framed here
        // apart from the gate, so that a gate that lost or mixed up bytes shows.
        std::string unread;
        server::Clock::TimePoint connectedAt{};
        std::optional<server::Clock::TimePoint> greetedAt;  // when the hall took its Hello
        server::OutputQueue output;
    };

    server::Clock::Duration Send(ConnectionId to, std::string_view message, server::Clock::Duration hold) override;

    void Connect(ConnectionId id, int address);
    void Receive(ConnectionId id, std::string_view bytes);
    void Read(ConnectionId id);
    void Wait(server::Clock::Duration time);
    // What the lobby's deadlines ask of a connection by now, as its clients could tell.
    server::ConnectionGate::Overdue Due(const Connection& connection, ConnectionId id) const;
    // Marks the connection to be closed at the end of the step, for the log's sake with a reason.
    void Doom(ConnectionId id, const std::string& why);
    void LeaveHall(Connection& connection, ConnectionId id, const std::string& why);
    // Ends a step: closes what it doomed, which may doom more.
    void Settle();
    void CheckTotals() const;

    ManualClock clock_;
    server::HallLimits limits_;
    server::Log log_;
    server::LogDigest digest_;
    server::TowerHall hall_;
    HallWatch watch_;
    server::AddressCounts addresses_;
    std::size_t outputCap_;
    std::array<Connection, kConnectionCount> connections_;
    std::vector<ConnectionId> doomed_;
    std::uint64_t accepted_ = 0;
    int admitted_ = 0;
};

}  // namespace fuzzscript
