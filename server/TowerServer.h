// The network side of the server: one thread, one event loop, non-blocking
// sockets. It reads whatever a connection has sent, cuts it into messages for
// the TowerHall, and before it turns to the next connection sends what the
// hall queued, gathering everything one read produced for a connection into
// one write; what the hall asked to hold goes out when its time comes. It
// also keeps the doors: connections beyond the limits are turned away with a
// notice, and those that linger without joining are shown out.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <queue>
#include <string>
#include <string_view>
#include <vector>

// ASIO_STANDALONE and ASIO_NO_DEPRECATED come from the build.
#include <asio.hpp>

#include "server/AddressCounts.h"
#include "server/Clock.h"
#include "server/ConnectionGate.h"
#include "server/Log.h"
#include "server/LogDigest.h"
#include "server/Options.h"
#include "server/TowerHall.h"

namespace server {

// "ADDRESS:PORT", with an IPv6 address in brackets.
std::string EndpointText(const asio::ip::tcp::endpoint& endpoint);

class TowerServer final : private Outbox {
public:
    // Turned-away connections held open at once until the client has read its
    // notice and closed; beyond them a turned-away connection is closed right
    // after its notice is sent.
    static constexpr int kMaxTurningAway = 256;
    // Descriptors needed beside the connections: those above, the listener,
    // the event loop's own and a margin.
    static constexpr int kSpareDescriptors = kMaxTurningAway + 96;

    TowerServer(const Options& options, Log& log);
    ~TowerServer();
    TowerServer(const TowerServer&) = delete;
    TowerServer& operator=(const TowerServer&) = delete;

    // Opens the listening socket and returns the address bound (with the port
    // chosen when the options asked for port 0). Throws std::system_error.
    asio::ip::tcp::endpoint Listen();
    // Serves until SIGINT or SIGTERM, then closes every connection and returns.
    // SIGHUP reopens the log file.
    void Run();

private:
    struct Connection;
    struct Slot {
        std::unique_ptr<Connection> connection;
        std::uint32_t generation = 0;  // tells a reused id from the connection a handler was made for
    };
    struct Deadline {
        enum class Kind {
            Lobby,    // the connection's gate may find it late with its Hello or for a tower
            Linger,   // a turned-away connection has had time to read its notice
            Release,  // held output is due to go
        };
        Clock::TimePoint at;
        ConnectionId id;
        std::uint32_t generation;
        Kind kind;
        bool operator>(const Deadline& other) const { return at > other.at; }
    };

    Clock::Duration Send(ConnectionId to, std::string_view message, Clock::Duration hold) override;

    void Accept();
    void WaitSignal();
    void OnAccepted(asio::ip::tcp::socket socket);
    Connection& Adopt(asio::ip::tcp::socket socket, const asio::ip::address& address, std::string peer);
    void Admit(Connection& connection);
    // Sends `notice`, shuts the server's side and lets the connection go: it
    // leaves the hall if it was in it and frees its place at once.
    void TurnAway(Connection& connection, std::string_view notice, LogEvent event, const std::string& why);
    Connection* Find(ConnectionId id, std::uint32_t generation);

    void WaitReadable(Connection& connection);
    void OnReadable(Connection& connection);
    // Queues `bytes` to go out `hold` from now, or with what is held before
    // them if that goes later; returns how long they wait. A connection whose
    // output grows beyond the cap is doomed (it stays valid until Settle).
    Clock::Duration Queue(Connection& connection, std::string_view bytes, Clock::Duration hold = {});
    void ScheduleFlush(Connection& connection);
    void FlushAll();
    void Write(Connection& connection);
    void WaitWritable(Connection& connection);

    void AddDeadline(const Connection& connection, Deadline::Kind kind, Clock::TimePoint at);
    void ArmDeadlineTimer();
    void OnDeadlines();
    void ArmDigestTimer();

    // Marks a connection to be closed; Settle closes it once no hall call is
    // running, since closing makes its ringer leave and the hall send. With an
    // event the close is logged through the digest, else as info; `reset`
    // drops what is unsent instead of closing in order.
    void Doom(Connection& connection, std::string reason, std::optional<LogEvent> event = std::nullopt,
              bool reset = false);
    // Ends every event: sends what it queued and closes what it doomed.
    void Settle();
    void Close(ConnectionId id);
    void Shutdown(int signal);

    Options options_;
    Log& log_;
    SteadyClock clock_;
    LogDigest digest_;
    AddressCounts addresses_;
    ConnectionGate::Timeouts timeouts_;
    std::size_t outputCap_;
    asio::io_context io_;
    asio::ip::tcp::acceptor acceptor_;
    asio::signal_set signals_;
    asio::steady_timer acceptRetry_;
    asio::steady_timer deadlineTimer_;
    bool deadlineArmed_ = false;
    Clock::TimePoint deadlineArmedFor_;
    std::priority_queue<Deadline, std::vector<Deadline>, std::greater<>> deadlines_;
    asio::steady_timer digestTimer_;
    bool digestArmed_ = false;
    TowerHall hall_;

    std::vector<Slot> slots_;  // indexed by ConnectionId
    std::vector<ConnectionId> freeIds_;
    std::uint64_t accepted_ = 0;  // connections so far: each one's number in the log
    int admitted_ = 0;            // connections admitted (not turned away)
    int turningAway_ = 0;         // turned-away connections held open for their notice
    bool acceptFailing_ = false;

    std::vector<ConnectionId> toFlush_;   // connections with output queued in this event
    std::vector<ConnectionId> flushing_;  // the list being flushed (kept for its capacity)
    std::vector<ConnectionId> doomed_;
    std::vector<char> readBuffer_;  // shared by all connections: one read at a time
};

}  // namespace server
