#include "server/TowerServer.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <algorithm>
#include <cstring>

#include "net/Messages.h"
#include "server/OutputQueue.h"

namespace server {
namespace {

using asio::ip::tcp;

// One read takes up to this much of a connection's input.
constexpr std::size_t kReadBlock = 64 * 1024;
constexpr auto kTurnAwayLinger = std::chrono::seconds(5);
constexpr auto kAcceptRetry = std::chrono::milliseconds(100);
// TCP keep-alive: a peer silent this long is probed, and given up after the
// probes go unanswered, so a ringer whose machine vanished leaves its tower
// within about two minutes while a silent ringer may stay for hours.
constexpr int kKeepAliveIdleSeconds = 60;
constexpr int kKeepAliveIntervalSeconds = 10;
constexpr int kKeepAliveProbes = 6;

constexpr std::string_view kNoticeServerFull = "The server is full. Please try again later.";
constexpr std::string_view kNoticeTooManyFromAddress =
    "Too many connections from your address. Please try again later.";
constexpr std::string_view kNoticeNoTower = "You did not join a tower in time. Please connect again.";

bool WouldBlock(const asio::error_code& ec) { return ec == asio::error::would_block || ec == asio::error::try_again; }

bool SetKeepAlive(tcp::socket& socket) {
    const int fd = socket.native_handle();
    const int on = 1;
    return setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on) == 0 &&
           setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &kKeepAliveIdleSeconds, sizeof(int)) == 0 &&
           setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &kKeepAliveIntervalSeconds, sizeof(int)) == 0 &&
           setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &kKeepAliveProbes, sizeof(int)) == 0;
}

}  // namespace

std::string EndpointText(const tcp::endpoint& endpoint) {
    const auto address = endpoint.address();
    const std::string host = address.is_v6() ? "[" + address.to_string() + "]" : address.to_string();
    return host + ":" + std::to_string(endpoint.port());
}

struct TowerServer::Connection {
    Connection(tcp::socket s, ConnectionId i, std::uint32_t g, std::uint64_t n, asio::ip::address a, std::string p,
               ConnectionGate c)
        : socket(std::move(s)), id(i), generation(g), number(n), address(a), peer(std::move(p)), gate(std::move(c)) {}

    tcp::socket socket;
    ConnectionId id;
    std::uint32_t generation;
    std::uint64_t number;  // its name in the log, never reused
    asio::ip::address address;
    std::string peer;
    ConnectionGate gate;  // used once admitted
    OutputQueue output;
    bool admitted = false;      // known to the hall and counted against the limits
    bool lingering = false;     // turned away, held open until it has read its notice
    bool flushQueued = false;   // on toFlush_
    bool writeWaiting = false;  // waiting for the socket to take more
    bool sendShut = false;
    bool doomed = false;
    bool reset = false;
    std::optional<LogEvent> event;
    std::string doomReason;
};

TowerServer::TowerServer(const Options& options, Log& log)
    : options_(options),
      log_(log),
      digest_(log),
      addresses_(options.maxPerAddress),
      timeouts_{std::chrono::seconds(options.helloTimeoutSeconds), std::chrono::seconds(options.joinTimeoutSeconds)},
      outputCap_(
          OutputCap(static_cast<std::size_t>(options.outputCapKib) * 1024, options.maxTowers, options.maxRingers)),
      io_(1),
      acceptor_(io_),
      signals_(io_, SIGINT, SIGTERM, SIGHUP),
      acceptRetry_(io_),
      deadlineTimer_(io_),
      digestTimer_(io_),
      hall_(*this, log, digest_, clock_,
            HallLimits{options.maxTowers,
                       options.maxRingers,
                       {options.chatRate, options.chatBurst},
                       {options.strikeRate, options.strikeBurst},
                       std::chrono::milliseconds(options.balanceMaxMs),
                       std::chrono::milliseconds(options.balanceDriftMs)}),
      readBuffer_(kReadBlock) {
    if (outputCap_ != static_cast<std::size_t>(options.outputCapKib) * 1024)
        log_.Info("output cap raised to " + std::to_string(outputCap_ / 1024) + " KiB so that a list of " +
                  std::to_string(options.maxTowers) + " towers and a tower of " + std::to_string(options.maxRingers) +
                  " ringers fit");
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
    WaitSignal();
    Accept();
    io_.run();
}

void TowerServer::WaitSignal() {
    signals_.async_wait([this](const asio::error_code& ec, int signal) {
        if (ec) return;
        if (signal != SIGHUP) return Shutdown(signal);
        log_.Info("SIGHUP: " + log_.Reopen());
        WaitSignal();
    });
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
    if (ec) return;  // gone before it could be looked at
    std::string peer = EndpointText(remote);
    socket.set_option(tcp::no_delay(true), ec);
    if (!ec && !SetKeepAlive(socket)) ec = asio::error_code(errno, asio::system_category());
    if (!ec) socket.non_blocking(true, ec);
    if (ec) {
        log_.Warn("could not set up the connection from " + peer + ": " + ec.message());
        return;
    }

    Connection& connection = Adopt(std::move(socket), remote.address(), std::move(peer));
    WaitReadable(connection);
    if (addresses_.AtLimit(connection.address))
        return TurnAway(connection, kNoticeTooManyFromAddress, LogEvent::TurnedAwayAddress,
                        std::to_string(options_.maxPerAddress) + " connections from one address is the limit");
    if (admitted_ >= options_.maxConnections)
        return TurnAway(connection, kNoticeServerFull, LogEvent::TurnedAwayFull,
                        std::to_string(options_.maxConnections) + " connections is the limit");
    Admit(connection);
}

TowerServer::Connection& TowerServer::Adopt(tcp::socket socket, const asio::ip::address& address, std::string peer) {
    ConnectionId id;
    if (!freeIds_.empty()) {
        id = freeIds_.back();
        freeIds_.pop_back();
    } else {
        id = static_cast<ConnectionId>(slots_.size());
        slots_.emplace_back();
    }
    Slot& slot = slots_[id];
    slot.connection = std::make_unique<Connection>(std::move(socket), id, slot.generation, ++accepted_, address,
                                                   std::move(peer), ConnectionGate(id, timeouts_, clock_.Now()));
    return *slot.connection;
}

void TowerServer::Admit(Connection& connection) {
    connection.admitted = true;
    ++admitted_;
    addresses_.Add(connection.address);
    hall_.Connect(connection.id, connection.number);
    log_.Info(ConnectionTag(connection.number) + " connected from " + connection.peer + " (" +
              std::to_string(admitted_) + " connections)");
    AddDeadline(connection, Deadline::Kind::Lobby, connection.gate.HelloBy());
}

void TowerServer::TurnAway(Connection& connection, std::string_view notice, LogEvent event, const std::string& why) {
    if (connection.admitted) {
        connection.admitted = false;
        --admitted_;
        addresses_.Remove(connection.address);
        hall_.Disconnect(connection.id);
    }
    digest_.Report(event, ConnectionTag(connection.number) + " " + connection.peer + " turned away: " + why,
                   clock_.Now());
    // The notice goes out, then the server's side is shut (see Write). The
    // socket stays open until the client closes its side or the linger time
    // is up, so that the notice is not lost to a reset; past that many at
    // once, it is closed as soon as the notice is sent.
    Queue(connection, wire::Build(wire::ServerNotice{notice}).Bytes());
    if (turningAway_ < kMaxTurningAway) {
        connection.lingering = true;
        ++turningAway_;
        AddDeadline(connection, Deadline::Kind::Linger, clock_.Now() + kTurnAwayLinger);
    }
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
        if (ec) Doom(*c, "waiting for input failed: " + ec.message());
        else OnReadable(*c);
        Settle();
    });
}

void TowerServer::OnReadable(Connection& connection) {
    // The unfinished message from the last read goes in front of the new bytes.
    char* buffer = readBuffer_.data();
    const std::string_view kept = connection.gate.Kept();
    std::memcpy(buffer, kept.data(), kept.size());
    asio::error_code ec;
    const std::size_t room = readBuffer_.size() - kept.size();
    const std::size_t n = connection.socket.read_some(asio::buffer(buffer + kept.size(), room), ec);
    if (WouldBlock(ec)) return WaitReadable(connection);
    if (ec == asio::error::eof) return Doom(connection, "closed by the client");
    if (ec == asio::error::connection_reset) return Doom(connection, "reset by the client");
    if (ec) return Doom(connection, "receive failed: " + ec.message());
    // A full read may have left more behind, which no new readiness would
    // announce: read again, after the events already waiting.
    const auto again = [this, &connection, full = n == room] {
        if (!full) return WaitReadable(connection);
        asio::post(io_, [this, id = connection.id, generation = connection.generation] {
            if (Connection* c = Find(id, generation)) OnReadable(*c);
            Settle();
        });
    };
    if (!connection.admitted) return again();  // turned away: input is ignored

    const std::string_view input(buffer, kept.size() + n);
    const auto outcome =
        connection.gate.Receive(hall_, input, clock_.Now(), [&connection] { return !connection.doomed; });
    if (outcome.protocolError)
        return Doom(connection, "protocol error: " + *outcome.protocolError, LogEvent::ProtocolError);
    if (connection.doomed) return;
    if (outcome.joinBy) AddDeadline(connection, Deadline::Kind::Lobby, *outcome.joinBy);
    again();
}

Clock::Duration TowerServer::Send(ConnectionId to, std::string_view message, Clock::Duration hold) {
    Connection* connection = to < slots_.size() ? slots_[to].connection.get() : nullptr;
    return connection ? Queue(*connection, message, hold) : hold;
}

Clock::Duration TowerServer::Queue(Connection& connection, std::string_view bytes, Clock::Duration hold) {
    if (connection.doomed) return hold;
    OutputQueue& output = connection.output;
    const auto tooSlow = [&] {
        Doom(connection, "too slow: more than " + std::to_string(outputCap_ / 1024) + " KiB waiting unread",
             LogEvent::TooSlow, true);
    };
    // Nothing held and nothing to hold, as always with balancing off: no clock needed.
    const auto heldUntil = output.HeldUntil();
    if (hold <= Clock::Duration::zero() && !heldUntil) {
        if (!output.Append(bytes, outputCap_)) tooSlow();
        else ScheduleFlush(connection);
        return {};
    }
    const auto now = clock_.Now();
    const auto until = std::max(now + hold, heldUntil.value_or(now));
    if (!output.Hold(bytes, outputCap_, until)) {
        tooSlow();
        return hold;
    }
    // One release is scheduled at a time per connection: the first held bytes'.
    if (!heldUntil) AddDeadline(connection, Deadline::Kind::Release, until);
    return std::max(until - now, Clock::Duration::zero());  // held bytes already due go with the next release
}

void TowerServer::ScheduleFlush(Connection& connection) {
    if (connection.flushQueued || connection.writeWaiting) return;
    connection.flushQueued = true;
    toFlush_.push_back(connection.id);
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
    for (;;) {
        const std::string_view pending = connection.output.Pending();
        if (pending.empty()) break;
        asio::error_code ec;
        const std::size_t n = connection.socket.write_some(asio::buffer(pending.data(), pending.size()), ec);
        if (WouldBlock(ec)) return WaitWritable(connection);
        if (ec) return Doom(connection, "send failed: " + ec.message());
        connection.output.Consume(n);
    }
    if (connection.admitted || connection.sendShut) return;
    asio::error_code ec;
    connection.socket.shutdown(tcp::socket::shutdown_send, ec);
    connection.sendShut = true;
    if (connection.lingering) return;
    // No room to hold it open: take in what it sent, so that closing sends an
    // orderly end after the notice rather than a reset.
    for (int reads = 0; reads < 16 && !ec; ++reads) connection.socket.read_some(asio::buffer(readBuffer_), ec);
    Doom(connection, "turned away");
}

void TowerServer::WaitWritable(Connection& connection) {
    connection.writeWaiting = true;
    connection.socket.async_wait(
        tcp::socket::wait_write,
        [this, id = connection.id, generation = connection.generation](const asio::error_code& ec) {
            Connection* c = Find(id, generation);
            if (!c) return;
            c->writeWaiting = false;
            if (ec) Doom(*c, "waiting to send failed: " + ec.message());
            else if (!c->doomed) Write(*c);
            Settle();
        });
}

void TowerServer::AddDeadline(const Connection& connection, Deadline::Kind kind, Clock::TimePoint at) {
    deadlines_.push(Deadline{at, connection.id, connection.generation, kind});
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
    const auto now = clock_.Now();
    while (!deadlines_.empty() && deadlines_.top().at <= now) {
        const Deadline deadline = deadlines_.top();
        deadlines_.pop();
        Connection* connection = Find(deadline.id, deadline.generation);
        if (!connection || connection->doomed) continue;
        switch (deadline.kind) {
        case Deadline::Kind::Release:
            if (connection->output.Release(now)) ScheduleFlush(*connection);
            // The timer is armed for the earliest deadline once all due ones are done.
            if (const auto next = connection->output.NextRelease())
                deadlines_.push(Deadline{*next, deadline.id, deadline.generation, Deadline::Kind::Release});
            continue;
        case Deadline::Kind::Linger: Doom(*connection, "turned away"); continue;
        case Deadline::Kind::Lobby: break;
        }
        if (!connection->admitted) continue;
        switch (connection->gate.Check(hall_, now)) {
        case ConnectionGate::Overdue::No: break;
        case ConnectionGate::Overdue::Hello:
            Doom(*connection, "no Hello within " + std::to_string(options_.helloTimeoutSeconds) + " s",
                 LogEvent::NoHello);
            break;
        case ConnectionGate::Overdue::Tower:
            TurnAway(*connection, kNoticeNoTower, LogEvent::NoTower,
                     "in no tower " + std::to_string(options_.joinTimeoutSeconds) + " s after Hello");
            break;
        }
    }
}

void TowerServer::ArmDigestTimer() {
    if (digestArmed_) return;
    const auto next = digest_.NextWindowEnd();
    if (!next) return;
    digestArmed_ = true;
    digestTimer_.expires_at(*next);
    digestTimer_.async_wait([this](const asio::error_code& ec) {
        if (ec == asio::error::operation_aborted) return;
        digestArmed_ = false;
        digest_.Summarise(clock_.Now());
        ArmDigestTimer();
    });
}

void TowerServer::Doom(Connection& connection, std::string reason, std::optional<LogEvent> event, bool reset) {
    if (connection.doomed) return;
    connection.doomed = true;
    connection.doomReason = std::move(reason);
    connection.event = event;
    connection.reset = reset;
    doomed_.push_back(connection.id);
}

void TowerServer::Settle() {
    // What one event queued goes out before the loop turns to the next event,
    // so a strike never waits behind the reading of unrelated connections.
    // Closing one connection can doom another (a slow reader of the RingerLeft)
    // and queue output for the rest of its tower; a failed send dooms one.
    while (!doomed_.empty() || !toFlush_.empty()) {
        FlushAll();
        while (!doomed_.empty()) {
            const ConnectionId id = doomed_.back();
            doomed_.pop_back();
            Close(id);
        }
    }
    ArmDigestTimer();
}

void TowerServer::Close(ConnectionId id) {
    Slot& slot = slots_[id];
    Connection& connection = *slot.connection;
    if (connection.lingering) --turningAway_;
    // A turned-away connection was logged when it was turned away.
    if (connection.admitted) {
        --admitted_;
        addresses_.Remove(connection.address);
        std::string line =
            ConnectionTag(connection.number) + " " + connection.peer + " closed: " + connection.doomReason;
        const auto dropped = hall_.DroppedFrom(id);
        const auto limited = hall_.LimitedFrom(id);
        if (dropped || limited)
            line += " (" + std::to_string(dropped) + " messages refused, " + std::to_string(limited) +
                    " beyond the rate limits)";
        if (connection.event) digest_.Report(*connection.event, line, clock_.Now());
        else log_.Info(line);
    }
    if (connection.reset) {
        // Reset rather than close, so the kernel drops the backlog at once
        // instead of holding it for a reader that does not read.
        asio::error_code ec;
        connection.socket.set_option(asio::socket_base::linger(true, 0), ec);
    }

    const bool admitted = connection.admitted;
    slot.connection.reset();  // closes the socket; its pending waits end without a connection to find
    ++slot.generation;
    if (admitted) hall_.Disconnect(id);
    freeIds_.push_back(id);
}

void TowerServer::Shutdown(int signal) {
    const HallCounters& counters = hall_.Counters();
    log_.Info("shutting down on signal " + std::to_string(signal) + ": closing " + std::to_string(admitted_) +
              " connections and " + std::to_string(hall_.TowerCount()) + " towers; " + std::to_string(accepted_) +
              " connections accepted in all, " + std::to_string(counters.relayed) + " messages relayed, " +
              std::to_string(counters.dropped) + " refused by the rules, " + std::to_string(counters.limited) +
              " beyond the rate limits, " + std::to_string(counters.refused) + " tower requests refused");
    digest_.Summarise(Clock::TimePoint::max());
    asio::error_code ec;
    acceptor_.close(ec);
    acceptRetry_.cancel();
    deadlineTimer_.cancel();
    digestTimer_.cancel();
    // Everyone goes at once, so nobody is told of anyone else leaving.
    for (Slot& slot : slots_) slot.connection.reset();
    io_.stop();
}

}  // namespace server
