#include "server/TowerServer.h"

#include <algorithm>
#include <cstring>

#include "net/Framing.h"
#include "net/Messages.h"
#include "server/OutputQueue.h"

namespace server {
namespace {

using asio::ip::tcp;
using Clock = std::chrono::steady_clock;

// One read takes up to this much of a connection's input.
constexpr std::size_t kReadBlock = 64 * 1024;
// Turned-away connections waiting for their notice to be read; more are cut off at once.
constexpr int kMaxTurningAway = 64;
constexpr auto kTurnAwayLinger = std::chrono::seconds(5);
// Room beside a full tower list in a connection's output.
constexpr std::size_t kListMargin = 16 * 1024;
constexpr auto kAcceptRetry = std::chrono::milliseconds(100);
constexpr std::string_view kNoticeServerFull = "The server is full. Please try again later.";

bool WouldBlock(const asio::error_code& ec) { return ec == asio::error::would_block || ec == asio::error::try_again; }

}  // namespace

std::string EndpointText(const tcp::endpoint& endpoint) {
    const auto address = endpoint.address();
    const std::string host = address.is_v6() ? "[" + address.to_string() + "]" : address.to_string();
    return host + ":" + std::to_string(endpoint.port());
}

struct TowerServer::Connection {
    Connection(tcp::socket s, ConnectionId i, std::uint32_t g, std::string p)
        : socket(std::move(s)), id(i), generation(g), peer(std::move(p)) {}

    tcp::socket socket;
    ConnectionId id;
    std::uint32_t generation;
    std::string peer;
    std::string input;  // the start of a message whose rest has not arrived
    OutputQueue output;
    bool admitted = false;      // known to the hall; false while being turned away
    bool flushQueued = false;   // on toFlush_
    bool writeWaiting = false;  // waiting for the socket to take more
    bool sendShut = false;
    bool doomed = false;
    Ending ending = Ending::Quiet;
    std::string doomReason;
};

TowerServer::TowerServer(const Options& options, Log& log)
    : options_(options),
      log_(log),
      outputCap_(static_cast<std::size_t>(options.outputCapKib) * 1024),
      io_(1),
      acceptor_(io_),
      signals_(io_, SIGINT, SIGTERM),
      acceptRetry_(io_),
      deadlineTimer_(io_),
      hall_(*this, log, HallLimits{options.maxTowers, options.maxRingers}),
      readBuffer_(kReadBlock) {
    // A whole tower list always fits, so nobody is cut off for asking for it.
    const std::size_t fullList = static_cast<std::size_t>(options.maxTowers) * wire::towerListEntry::kSize;
    if (outputCap_ < fullList + kListMargin) {
        outputCap_ = (fullList + kListMargin + 1023) / 1024 * 1024;
        log_.Info("output cap raised to " + std::to_string(outputCap_ / 1024) + " KiB so that a list of " +
                  std::to_string(options.maxTowers) + " towers fits");
    }
}

TowerServer::~TowerServer() = default;

tcp::endpoint TowerServer::Listen() {
    const tcp::endpoint endpoint(asio::ip::make_address(options_.bind), options_.port);
    acceptor_.open(endpoint.protocol());
    acceptor_.set_option(tcp::acceptor::reuse_address(true));
    acceptor_.bind(endpoint);
    acceptor_.listen(asio::socket_base::max_listen_connections);
    return acceptor_.local_endpoint();
}

void TowerServer::Run() {
    signals_.async_wait([this](const asio::error_code& ec, int signal) {
        if (!ec) Shutdown(signal);
    });
    Accept();
    io_.run();
}

void TowerServer::Accept() {
    acceptor_.async_accept([this](const asio::error_code& ec, tcp::socket socket) {
        if (ec == asio::error::operation_aborted) return;
        if (ec) {
            // Out of descriptors or memory: wait a little rather than spin on the error.
            if (!acceptFailing_) log_.Warn("accepting a connection failed: " + ec.message() + "; retrying");
            acceptFailing_ = true;
            acceptRetry_.expires_after(kAcceptRetry);
            acceptRetry_.async_wait([this](const asio::error_code& waitError) {
                if (!waitError) Accept();
            });
            return;
        }
        if (acceptFailing_) log_.Info("accepting connections again");
        acceptFailing_ = false;
        OnAccepted(std::move(socket));
        Settle();
        Accept();
    });
}

void TowerServer::OnAccepted(tcp::socket socket) {
    asio::error_code ec;
    const auto remote = socket.remote_endpoint(ec);
    std::string peer = ec ? std::string("unknown peer") : EndpointText(remote);
    socket.set_option(tcp::no_delay(true), ec);
    if (!ec) socket.set_option(asio::socket_base::keep_alive(true), ec);
    if (!ec) socket.non_blocking(true, ec);
    if (ec) {
        log_.Warn("could not set up the connection from " + peer + ": " + ec.message());
        return;
    }

    if (admitted_ >= options_.maxConnections) {
        if (turningAway_ >= kMaxTurningAway) {
            log_.Warn("closed the connection from " + peer + " at once: the server is full");
            return;
        }
        Connection& connection = Adopt(std::move(socket), std::move(peer));
        ++turningAway_;
        log_.Warn(ConnectionTag(connection.id) + " " + connection.peer +
                  " turned away: " + std::to_string(options_.maxConnections) + " connections is the limit");
        // The notice goes out, then the server's side is shut; the socket closes
        // when the client has closed its side or the linger time is up, so the
        // notice is not lost to a reset.
        Queue(connection, wire::Build(wire::ServerNotice{kNoticeServerFull}).Bytes());
        AddDeadline(connection, Deadline::Kind::TurnAway, kTurnAwayLinger);
        WaitReadable(connection);
        return;
    }

    Connection& connection = Adopt(std::move(socket), std::move(peer));
    connection.admitted = true;
    ++admitted_;
    hall_.Connect(connection.id);
    log_.Info(ConnectionTag(connection.id) + " connected from " + connection.peer + " (" + std::to_string(admitted_) +
              " connections)");
    AddDeadline(connection, Deadline::Kind::Hello, std::chrono::seconds(options_.helloTimeoutSeconds));
    WaitReadable(connection);
}

TowerServer::Connection& TowerServer::Adopt(tcp::socket socket, std::string peer) {
    ConnectionId id;
    if (!freeIds_.empty()) {
        id = freeIds_.back();
        freeIds_.pop_back();
    } else {
        id = static_cast<ConnectionId>(slots_.size());
        slots_.emplace_back();
    }
    Slot& slot = slots_[id];
    slot.connection = std::make_unique<Connection>(std::move(socket), id, slot.generation, std::move(peer));
    return *slot.connection;
}

TowerServer::Connection* TowerServer::Find(ConnectionId id, std::uint32_t generation) {
    if (id >= slots_.size()) return nullptr;
    Slot& slot = slots_[id];
    return slot.generation == generation ? slot.connection.get() : nullptr;
}

void TowerServer::WaitReadable(Connection& connection) {
    connection.socket.async_wait(tcp::socket::wait_read, [this, id = connection.id, generation = connection.generation](
                                                             const asio::error_code& ec) {
        Connection* c = Find(id, generation);
        if (!c) return;
        if (ec) Doom(*c, "waiting for input failed: " + ec.message(), Ending::Quiet);
        else OnReadable(*c);
        Settle();
    });
}

void TowerServer::OnReadable(Connection& connection) {
    // The unfinished message from the last read goes in front of the new bytes.
    char* buffer = readBuffer_.data();
    const std::size_t kept = connection.input.size();
    std::memcpy(buffer, connection.input.data(), kept);
    asio::error_code ec;
    const std::size_t n = connection.socket.read_some(asio::buffer(buffer + kept, readBuffer_.size() - kept), ec);
    if (WouldBlock(ec)) return WaitReadable(connection);
    if (ec == asio::error::eof) return Doom(connection, "closed by the client", Ending::Quiet);
    if (ec == asio::error::connection_reset) return Doom(connection, "reset by the client", Ending::Quiet);
    if (ec) return Doom(connection, "receive failed: " + ec.message(), Ending::Quiet);
    if (!connection.admitted) return WaitReadable(connection);  // turned away: input is ignored

    const std::string_view input(buffer, kept + n);
    const wire::FrameRun run = wire::ForEachFrame(input, wire::kFromClient, [&](std::string_view message) {
        if (auto problem = hall_.Receive(connection.id, message))
            Doom(connection, "protocol error: " + *problem, Ending::Warn);
        return !connection.doomed;
    });
    if (connection.doomed) return;
    if (run.invalid) {
        const wire::Frame frame = wire::ScanFrame(input.substr(run.consumed), wire::kFromClient);
        return Doom(connection,
                    "protocol error: length field " + std::to_string(frame.length) + " outside " +
                        std::to_string(wire::kHeaderSize) + " to " + std::to_string(wire::kMaxClientMessage),
                    Ending::Warn);
    }
    connection.input.assign(input.substr(run.consumed));
    WaitReadable(connection);
}

void TowerServer::Send(ConnectionId to, std::string_view message) {
    if (Connection* connection = to < slots_.size() ? slots_[to].connection.get() : nullptr)
        Queue(*connection, message);
}

void TowerServer::Queue(Connection& connection, std::string_view bytes) {
    if (connection.doomed) return;
    if (!connection.output.Append(bytes, outputCap_))
        return Doom(connection, "too slow: more than " + std::to_string(outputCap_ / 1024) + " KiB waiting unread",
                    Ending::Abort);
    if (connection.flushQueued || connection.writeWaiting) return;
    connection.flushQueued = true;
    toFlush_.push_back(connection.id);
    ScheduleFlush();
}

void TowerServer::ScheduleFlush() {
    if (flushPosted_) return;
    flushPosted_ = true;
    // Runs after the handlers already due in this turn, so what they queue for
    // one connection leaves in one write.
    asio::post(io_, [this] {
        flushPosted_ = false;
        FlushAll();
        Settle();
    });
}

void TowerServer::FlushAll() {
    flushing_.swap(toFlush_);
    for (const ConnectionId id : flushing_) {
        Connection* connection = slots_[id].connection.get();
        if (!connection || !connection->flushQueued) continue;
        connection->flushQueued = false;
        if (!connection->doomed && !connection->writeWaiting) Write(*connection);
    }
    flushing_.clear();
}

void TowerServer::Write(Connection& connection) {
    while (!connection.output.Empty()) {
        const std::string_view pending = connection.output.Pending();
        asio::error_code ec;
        const std::size_t n = connection.socket.write_some(asio::buffer(pending.data(), pending.size()), ec);
        if (WouldBlock(ec)) return WaitWritable(connection);
        if (ec) return Doom(connection, "send failed: " + ec.message(), Ending::Quiet);
        connection.output.Consume(n);
    }
    if (!connection.admitted && !connection.sendShut) {
        asio::error_code ec;
        connection.socket.shutdown(tcp::socket::shutdown_send, ec);
        connection.sendShut = true;
    }
}

void TowerServer::WaitWritable(Connection& connection) {
    connection.writeWaiting = true;
    connection.socket.async_wait(
        tcp::socket::wait_write,
        [this, id = connection.id, generation = connection.generation](const asio::error_code& ec) {
            Connection* c = Find(id, generation);
            if (!c) return;
            c->writeWaiting = false;
            if (ec) Doom(*c, "waiting to send failed: " + ec.message(), Ending::Quiet);
            else if (!c->doomed) Write(*c);
            Settle();
        });
}

void TowerServer::AddDeadline(const Connection& connection, Deadline::Kind kind, Clock::duration after) {
    deadlines_.push(Deadline{Clock::now() + after, connection.id, connection.generation, kind});
    ArmDeadlineTimer();
}

void TowerServer::ArmDeadlineTimer() {
    if (deadlines_.empty()) return;
    const auto next = deadlines_.top().at;
    if (deadlineArmed_ && deadlineArmedFor_ <= next) return;
    deadlineArmed_ = true;
    deadlineArmedFor_ = next;
    deadlineTimer_.expires_at(next);  // cancels an earlier wait, whose handler sees operation_aborted
    deadlineTimer_.async_wait([this](const asio::error_code& ec) {
        if (ec == asio::error::operation_aborted) return;
        deadlineArmed_ = false;
        OnDeadlines();
        ArmDeadlineTimer();
        Settle();
    });
}

void TowerServer::OnDeadlines() {
    const auto now = Clock::now();
    while (!deadlines_.empty() && deadlines_.top().at <= now) {
        const Deadline deadline = deadlines_.top();
        deadlines_.pop();
        Connection* connection = Find(deadline.id, deadline.generation);
        if (!connection) continue;
        if (deadline.kind == Deadline::Kind::TurnAway) Doom(*connection, "turned away", Ending::Quiet);
        else if (!hall_.Greeted(deadline.id))
            Doom(*connection, "no Hello within " + std::to_string(options_.helloTimeoutSeconds) + " s", Ending::Warn);
    }
}

void TowerServer::Doom(Connection& connection, std::string reason, Ending ending) {
    if (connection.doomed) return;
    connection.doomed = true;
    connection.doomReason = std::move(reason);
    connection.ending = ending;
    doomed_.push_back(connection.id);
}

void TowerServer::Settle() {
    // Closing one connection can doom another (a slow reader of the RingerLeft).
    while (!doomed_.empty()) {
        const ConnectionId id = doomed_.back();
        doomed_.pop_back();
        Close(id);
    }
}

void TowerServer::Close(ConnectionId id) {
    Slot& slot = slots_[id];
    const Connection& connection = *slot.connection;
    const bool admitted = connection.admitted;
    std::string line = ConnectionTag(id) + " " + connection.peer + " closed: " + connection.doomReason;
    if (admitted) {
        if (const auto dropped = hall_.DroppedFrom(id)) line += " (" + std::to_string(dropped) + " messages refused)";
        --admitted_;
    } else {
        --turningAway_;
    }
    if (connection.ending == Ending::Quiet) log_.Info(line);
    else log_.Warn(line);
    if (connection.ending == Ending::Abort) {
        // Reset rather than close, so the kernel drops the backlog at once
        // instead of holding it for a reader that does not read.
        asio::error_code ec;
        slot.connection->socket.set_option(asio::socket_base::linger(true, 0), ec);
    }

    slot.connection.reset();  // closes the socket; its pending waits end without a connection to find
    ++slot.generation;
    if (admitted) hall_.Disconnect(id);
    freeIds_.push_back(id);
}

void TowerServer::Shutdown(int signal) {
    const HallCounters& counters = hall_.Counters();
    log_.Info("shutting down on signal " + std::to_string(signal) + ": closing " + std::to_string(admitted_) +
              " connections and " + std::to_string(hall_.TowerCount()) + " towers; " +
              std::to_string(counters.relayed) + " messages relayed, " + std::to_string(counters.dropped) +
              " refused by the rules, " + std::to_string(counters.refused) + " tower requests refused");
    asio::error_code ec;
    acceptor_.close(ec);
    acceptRetry_.cancel();
    deadlineTimer_.cancel();
    // Everyone goes at once, so nobody is told of anyone else leaving.
    for (Slot& slot : slots_) slot.connection.reset();
    io_.stop();
}

}  // namespace server
