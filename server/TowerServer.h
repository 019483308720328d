// The network side of the server: one thread, one event loop, non-blocking
// sockets. It reads whatever each connection has sent, cuts it into messages
// for the TowerHall, and sends each connection what the hall queued for it,
// gathering everything of one turn of the loop into as few writes as it can.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <queue>
#include <string>
#include <string_view>
#include <vector>

// ASIO_STANDALONE and ASIO_NO_DEPRECATED come from the build.
#include <asio.hpp>

#include "server/Log.h"
#include "server/Options.h"
#include "server/TowerHall.h"

namespace server {

// "ADDRESS:PORT", with an IPv6 address in brackets.
std::string EndpointText(const asio::ip::tcp::endpoint& endpoint);

class TowerServer final : private Outbox {
public:
    TowerServer(const Options& options, Log& log);
    ~TowerServer();
    TowerServer(const TowerServer&) = delete;
    TowerServer& operator=(const TowerServer&) = delete;

    // Opens the listening socket and returns the address bound (with the port
    // chosen when the options asked for port 0). Throws std::system_error.
    asio::ip::tcp::endpoint Listen();
    // Serves until SIGINT or SIGTERM, then closes every connection and returns.
    void Run();

private:
    struct Connection;
    struct Slot {
        std::unique_ptr<Connection> connection;
        std::uint32_t generation = 0;  // tells a reused id from the connection a handler was made for
    };
    struct Deadline {
        enum class Kind { Hello, TurnAway };
        std::chrono::steady_clock::time_point at;
        ConnectionId id;
        std::uint32_t generation;
        Kind kind;
        bool operator>(const Deadline& other) const { return at > other.at; }
    };

    void Send(ConnectionId to, std::string_view message) override;

    void Accept();
    void OnAccepted(asio::ip::tcp::socket socket);
    Connection& Adopt(asio::ip::tcp::socket socket, std::string peer);
    Connection* Find(ConnectionId id, std::uint32_t generation);

    void WaitReadable(Connection& connection);
    void OnReadable(Connection& connection);
    void Queue(Connection& connection, std::string_view bytes);
    void ScheduleFlush();
    void FlushAll();
    void Write(Connection& connection);
    void WaitWritable(Connection& connection);

    void AddDeadline(const Connection& connection, Deadline::Kind kind, std::chrono::steady_clock::duration after);
    void ArmDeadlineTimer();
    void OnDeadlines();

    enum class Ending {
        Quiet,  // an ordinary end, logged as info
        Warn,   // the client broke a rule, logged as a warning
        Abort,  // as Warn, and the connection is reset, dropping what is unsent
    };
    // Marks a connection to be closed; Settle closes it once no hall call is
    // running, since closing makes its ringer leave and the hall send.
    void Doom(Connection& connection, std::string reason, Ending ending);
    void Settle();
    void Close(ConnectionId id);
    void Shutdown(int signal);

    Options options_;
    Log& log_;
    std::size_t outputCap_;
    asio::io_context io_;
    asio::ip::tcp::acceptor acceptor_;
    asio::signal_set signals_;
    asio::steady_timer acceptRetry_;
    asio::steady_timer deadlineTimer_;
    bool deadlineArmed_ = false;
    std::chrono::steady_clock::time_point deadlineArmedFor_;
    std::priority_queue<Deadline, std::vector<Deadline>, std::greater<>> deadlines_;
    TowerHall hall_;

    std::vector<Slot> slots_;  // indexed by ConnectionId
    std::vector<ConnectionId> freeIds_;
    int admitted_ = 0;     // connections admitted (not turned away)
    int turningAway_ = 0;  // connections being told the server is full
    bool acceptFailing_ = false;

    std::vector<ConnectionId> toFlush_;   // connections with output queued this turn
    std::vector<ConnectionId> flushing_;  // the list being flushed (kept for its capacity)
    bool flushPosted_ = false;
    std::vector<ConnectionId> doomed_;
    std::vector<char> readBuffer_;  // shared by all connections: one read at a time
};

}  // namespace server
