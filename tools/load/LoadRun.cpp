#include "tools/load/LoadRun.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <functional>
#include <optional>
#include <queue>
#include <random>
#include <string>
#include <vector>

#include "net/Wire.h"
#include "tools/load/LinkDelays.h"
#include "tools/load/SourceAddress.h"
#include "tools/load/StampedReceive.h"

namespace load {

std::uint64_t NowNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * 1'000'000'000u + static_cast<std::uint64_t>(now.tv_nsec);
}

namespace {

constexpr int kTowersEnteringAtOnce = 64;  // keeps the relay's accept queue short
constexpr std::uint64_t kStartDelayNs = 20'000'000;
constexpr std::uint64_t kIdlePollNs = 50'000'000;
constexpr int kMaxPingMs = 32766;
constexpr std::size_t kTopUpBytes = 512;

std::uint64_t ToNs(double seconds) { return static_cast<std::uint64_t>(seconds * 1e9); }
std::uint64_t MsToNs(double ms) { return static_cast<std::uint64_t>(ms * 1e6); }
double ToSeconds(std::uint64_t ns) { return static_cast<double>(ns) / 1e9; }

class Driver final : public ClientEvents {
public:
    Driver(const LoadOptions& options, const Backend& backend)
        : options_(options), backend_(backend), ledger_(options.towers, options.ringers), random_(options.seed) {
        epollFd_ = epoll_create1(EPOLL_CLOEXEC);
        if (epollFd_ < 0) throw LoadError(std::string("epoll: ") + std::strerror(errno));
        address_.sin_family = AF_INET;
        address_.sin_port = htons(static_cast<std::uint16_t>(options.port));
        if (inet_pton(AF_INET, options.host.c_str(), &address_.sin_addr) != 1)
            throw LoadError("not an IPv4 address: " + options.host);
        clients_.resize(static_cast<std::size_t>(options.towers) * static_cast<std::size_t>(options.ringers));
        for (int tower = 0; tower < options.towers; ++tower) {
            for (int ringer = 0; ringer < options.ringers; ++ringer) {
                At(tower, ringer).tower = tower;
                At(tower, ringer).ringer = ringer;
            }
        }
        enteredCount_.assign(static_cast<std::size_t>(options.towers), 0);
        belledCount_.assign(static_cast<std::size_t>(options.towers), 0);
        if (!options.links.empty()) links_.emplace(clients_.size());
    }

    ~Driver() {
        for (const auto& client : clients_)
            if (client.fd >= 0) close(client.fd);
        close(epollFd_);
    }

    RunResult Run() {
        RunResult result;
        result.serverIdle = SampleProcess(options_.serverPid);
        const auto setUpStart = NowNs();
        SetUp();
        result.setupSeconds = ToSeconds(NowNs() - setUpStart);

        result.serverBefore = SampleProcess(options_.serverPid);
        result.toolBefore = SampleSelf();
        const auto strikeStart = NowNs();
        StrikeAndDrain();
        result.runSeconds = ToSeconds(NowNs() - strikeStart);
        result.toolAfter = SampleSelf();
        result.serverAfter = SampleProcess(options_.serverPid);

        result.strikes = ledger_.Strikes();
        result.expected = ledger_.Expected();
        result.delivered = ledger_.Delivered();
        result.faults = ledger_.Tally();
        result.echo = Summarize(ledger_.EchoNs());
        result.fanOut = Summarize(ledger_.FanOutNs());
        if (balance_) result.balance = balance_->Summarize();
        result.linkLateness = Summarize(linkLatenessNs_);
        return result;
    }

    void OnEntered(Client& client) override {
        if (client.entered) return;
        client.entered = true;
        if (client.ringer == 0)
            for (int ringer = 1; ringer < options_.ringers; ++ringer) Connect(At(client.tower, ringer));
        if (++enteredCount_[static_cast<std::size_t>(client.tower)] < options_.ringers) return;
        if (backend_.AllocatesBells()) {
            auto& leader = At(client.tower, 0);
            Transmit(leader, [&](ByteQueue& out) { backend_.Allocate(leader, options_.ringers, out); });
            return;
        }
        for (int ringer = 0; ringer < options_.ringers; ++ringer) OnBellAllocated(At(client.tower, ringer));
    }

    void OnBellAllocated(Client& client) override {
        if (client.hasBell || !client.entered) return;
        client.hasBell = true;
        if (++belledCount_[static_cast<std::size_t>(client.tower)] < options_.ringers) return;
        readyClients_ += options_.ringers;
        --towersEntering_;
        EnterMoreTowers();
    }

    void OnStrike(Client& client, std::string_view strike) override {
        const auto fields = wire::ReadStrike(strike);
        const bool hasSequence = fields && fields->sequence;
        const int sender = hasSequence ? fields->bell - 1 : -1;
        const auto sequence = hasSequence ? *fields->sequence : 0;
        const auto latencyNs = ledger_.Arrive(client.tower, client.ringer, sender, sequence, arrivalNs_);
        if (balance_ && latencyNs >= 0) balance_->Arrived(client.tower, client.ringer, sender, sequence, arrivalNs_);
        if (sender == client.ringer && latencyNs >= 0) {
            const auto ms = std::lround(static_cast<double>(latencyNs) / 1e6);
            client.pingMs = static_cast<std::uint16_t>(std::clamp<long>(ms, 1, kMaxPingMs));
        }
    }

    void OnFailure(Client& client, std::string what) override {
        Fail("tower " + std::to_string(client.tower) + " ringer " + std::to_string(client.ringer) + ": " + what);
    }

private:
    Client& At(int tower, int ringer) {
        return clients_[static_cast<std::size_t>(tower) * static_cast<std::size_t>(options_.ringers) +
                        static_cast<std::size_t>(ringer)];
    }

    void Fail(std::string what) {
        if (failure_.empty()) failure_ = std::move(what);
    }
    void ThrowIfFailed() const {
        if (!failure_.empty()) throw LoadError(failure_);
    }

    void SetUp() {
        const auto deadline = NowNs() + ToNs(options_.setupTimeout);
        EnterMoreTowers();
        while (readyClients_ < static_cast<int>(clients_.size())) {
            ThrowIfFailed();
            const auto now = NowNs();
            if (now >= deadline)
                throw LoadError("set-up timed out: " + std::to_string(readyClients_) + " of " +
                                std::to_string(clients_.size()) + " ringers had their bells");
            Poll(std::min(deadline - now, kIdlePollNs));
        }
        ThrowIfFailed();
        // The relay's greetings (a tower list can be long) are over; keep only small buffers.
        for (auto& client : clients_)
            if (client.in.Empty()) client.in.Release();
    }

    void EnterMoreTowers() {
        while (towersEntering_ < kTowersEnteringAtOnce && nextTower_ < options_.towers) {
            ++towersEntering_;
            Connect(At(nextTower_++, 0));
        }
    }

    void StrikeAndDrain() {
        using Due = std::pair<std::uint64_t, std::uint32_t>;  // when, which client
        std::priority_queue<Due, std::vector<Due>, std::greater<>> due;
        const double periodNs = 1e9 / options_.rate;
        std::uniform_real_distribution<double> phase(0.0, 1.0);
        std::uniform_real_distribution<double> jitter(-options_.jitter, options_.jitter);
        const auto start = NowNs() + kStartDelayNs;
        const auto end = start + ToNs(options_.duration);
        if (!options_.links.empty()) {
            std::vector<double> roundTrips;
            for (int ringer = 0; ringer < options_.ringers; ++ringer)
                roundTrips.push_back(LinkOf(ringer).RoundTripMs());
            balance_.emplace(options_.towers, std::move(roundTrips), start + ToNs(options_.settle));
        }
        for (std::uint32_t index = 0; index < clients_.size(); ++index) {
            const auto first = start + static_cast<std::uint64_t>(phase(random_) * periodNs);
            if (first < end) due.emplace(first, index);
        }

        while (!due.empty()) {
            auto now = NowNs();
            while (!due.empty() && due.top().first <= now) {
                const auto [when, index] = due.top();
                due.pop();
                SendStrike(clients_[index]);
                const auto next = when + static_cast<std::uint64_t>(periodNs * (1.0 + jitter(random_)));
                if (next < end) due.emplace(next, index);
                now = NowNs();
            }
            ThrowIfFailed();
            if (!due.empty()) Poll(due.top().first > now ? due.top().first - now : 0);
        }

        const auto drainEnd = NowNs() + ToNs(options_.drain);
        while (!ledger_.AllDelivered()) {
            const auto now = NowNs();
            if (now >= drainEnd) break;
            Poll(std::min(drainEnd - now, kIdlePollNs));
            ThrowIfFailed();
        }
    }

    void SendStrike(Client& client) {
        const auto sequence = ledger_.Send(client.tower, client.ringer, NowNs());
        client.stroke = client.stroke ? 0 : 1;  // a bell rings handstroke and backstroke in turn
        const wire::Strike strike{static_cast<std::uint16_t>(client.ringer + 1), client.stroke, sequence,
                                  client.pingMs};
        Transmit(
            client, [&](ByteQueue& out) { backend_.Strike(client, strike, out); }, sequence);
        client.pingMs = 0;
    }

    Link LinkOf(int ringer) const {
        const auto& links = options_.links;
        return links.empty() ? Link{} : links[static_cast<std::size_t>(ringer) % links.size()];
    }
    std::uint32_t IndexOf(const Client& client) const { return static_cast<std::uint32_t>(&client - clients_.data()); }

    // `write` puts what the ringer sends next on its link: into the socket's
    // queue at once, or after the link's delay.
    template <typename Write>
    void Transmit(Client& client, Write write, std::optional<std::uint16_t> strike = std::nullopt) {
        const double upMs = LinkOf(client.ringer).upMs;
        if (upMs <= 0) {
            if (balance_ && strike) balance_->Sent(client.tower, client.ringer, *strike, NowNs());
            write(client.out);
            return Flush(client);
        }
        ByteQueue staged;
        write(staged);
        links_->SendUp(IndexOf(client), {NowNs() + MsToNs(upMs), std::string(staged.View()), strike});
    }

    // Hands on what has come to the end of a link by now.
    void ReleaseLinks() {
        if (!links_) return;
        const auto now = NowNs();
        const auto late = [&](const LinkDelays::Parcel& parcel) {
            linkLatenessNs_.push_back(static_cast<std::uint32_t>(std::min<std::uint64_t>(now - parcel.at, UINT32_MAX)));
        };
        const auto toRelay = [&](std::uint32_t index, const LinkDelays::Parcel& parcel) {
            late(parcel);
            Client& client = clients_[index];
            // Were the tool late to send it, the strike counts as struck that much later.
            if (balance_ && parcel.strike)
                balance_->Sent(client.tower, client.ringer, *parcel.strike, now - MsToNs(LinkOf(client.ringer).upMs));
            client.out.Append(parcel.bytes);
            Flush(client);
        };
        const auto fromRelay = [&](std::uint32_t index, const LinkDelays::Parcel& parcel) {
            late(parcel);
            arrivalNs_ = parcel.at;  // when an ideal link would have brought it
            Deliver(clients_[index], parcel.bytes);
        };
        links_->Deliver(now, toRelay, fromRelay, [this] { return failure_.empty(); });
    }

    void Connect(Client& client) {
        client.fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (client.fd < 0) {
            Fail(std::string("socket: ") + std::strerror(errno));
            return;
        }
        const int one = 1;
        setsockopt(client.fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        if (links_ && !EnableReceiveStamps(client.fd))
            return Fail(std::string("receive time stamps: ") + std::strerror(errno));
        if (options_.sources > 1) {
            const auto index = static_cast<int>(&client - clients_.data());
            if (auto problem = BindSource(client.fd, index, options_.sources); !problem.empty()) return Fail(problem);
        }
        if (connect(client.fd, reinterpret_cast<const sockaddr*>(&address_), sizeof address_) != 0 &&
            errno != EINPROGRESS) {
            Fail("connect to " + options_.host + ":" + std::to_string(options_.port) + ": " + std::strerror(errno));
            return;
        }
        epoll_event event{EPOLLIN | EPOLLOUT, {.u32 = static_cast<std::uint32_t>(&client - clients_.data())}};
        epoll_ctl(epollFd_, EPOLL_CTL_ADD, client.fd, &event);
        client.wantWrite = true;
    }

    void Poll(std::uint64_t timeoutNs) {
        if (const auto due = links_ ? links_->NextDue() : std::nullopt) {
            const auto now = NowNs();
            timeoutNs = std::min(timeoutNs, *due > now ? *due - now : 0);
        }
        epoll_event events[1024];
        const timespec timeout{static_cast<time_t>(timeoutNs / 1'000'000'000u),
                               static_cast<long>(timeoutNs % 1'000'000'000u)};
        const int n = epoll_pwait2(epollFd_, events, 1024, &timeout, nullptr);
        if (n < 0 && errno != EINTR) Fail(std::string("epoll: ") + std::strerror(errno));
        for (int i = 0; i < n; ++i) Handle(clients_[events[i].data.u32], events[i].events);
        ReleaseLinks();
    }

    void Handle(Client& client, std::uint32_t events) {
        if (!client.connected) {
            int error = 0;
            socklen_t length = sizeof error;
            getsockopt(client.fd, SOL_SOCKET, SO_ERROR, &error, &length);
            if (error != 0) {
                Fail("connect to " + options_.host + ":" + std::to_string(options_.port) + ": " + std::strerror(error));
                return;
            }
            client.connected = true;
            Transmit(client, [&](ByteQueue& out) { backend_.Enter(client, out); });
            return;
        }
        if (events & EPOLLOUT) Flush(client);
        if (events & (EPOLLIN | EPOLLHUP | EPOLLERR)) Read(client);
    }

    void Read(Client& client) {
        for (;;) {
            // With links, arrival is when the kernel had the bytes (see StampedReceive.h).
            std::uint64_t receivedNs = 0;
            const ssize_t n = links_ ? ReceiveStamped(client.fd, block_, sizeof block_, receivedNs)
                                     : recv(client.fd, block_, sizeof block_, 0);
            if (n == 0) {
                OnFailure(client, "the relay closed the connection");
                return;
            }
            if (n < 0) {
                if (errno != EAGAIN && errno != EINTR)
                    OnFailure(client, std::string("receive: ") + std::strerror(errno));
                return;
            }
            const std::string_view bytes(block_, static_cast<std::size_t>(n));
            if (const double downMs = LinkOf(client.ringer).downMs; downMs > 0) {
                links_->SendDown(IndexOf(client), {receivedNs + MsToNs(downMs), std::string(bytes), std::nullopt});
            } else {
                arrivalNs_ = links_ ? receivedNs : NowNs();
                Deliver(client, bytes);
            }
            if (!failure_.empty() || static_cast<std::size_t>(n) < sizeof block_) return;
        }
    }

    // The relay's bytes reach the ringer: the messages they complete are handled.
    void Deliver(Client& client, std::string_view rest) {
        // Complete a message left over from the last read a little at a
        // time, so that the held bytes stay small on every connection...
        while (!client.in.Empty() && !rest.empty() && failure_.empty()) {
            const auto take = std::min(rest.size(), kTopUpBytes);
            client.in.Append(rest.substr(0, take));
            rest.remove_prefix(take);
            client.in.Consume(backend_.Consume(client, client.in.View(), *this));
        }
        // ...then read the rest where it lies and keep only its unfinished tail.
        if (client.in.Empty() && failure_.empty()) client.in.Append(rest.substr(backend_.Consume(client, rest, *this)));
    }

    void Flush(Client& client) {
        while (!client.out.Empty()) {
            const ssize_t n = send(client.fd, client.out.Data(), client.out.Size(), MSG_NOSIGNAL);
            if (n < 0) {
                if (errno == EAGAIN) break;
                OnFailure(client, std::string("send: ") + std::strerror(errno));
                return;
            }
            client.out.Consume(static_cast<std::size_t>(n));
        }
        const bool wantWrite = !client.out.Empty();
        if (wantWrite == client.wantWrite) return;
        client.wantWrite = wantWrite;
        epoll_event event{wantWrite ? EPOLLIN | EPOLLOUT : EPOLLIN,
                          {.u32 = static_cast<std::uint32_t>(&client - clients_.data())}};
        epoll_ctl(epollFd_, EPOLL_CTL_MOD, client.fd, &event);
    }

    const LoadOptions& options_;
    const Backend& backend_;
    Ledger ledger_;
    std::mt19937_64 random_;
    int epollFd_ = -1;
    sockaddr_in address_{};
    std::vector<Client> clients_;
    std::vector<int> enteredCount_;
    std::vector<int> belledCount_;
    int nextTower_ = 0;
    int towersEntering_ = 0;
    int readyClients_ = 0;
    std::uint64_t arrivalNs_ = 0;
    std::optional<LinkDelays> links_;
    std::vector<std::uint32_t> linkLatenessNs_;  // of every parcel the links passed on
    std::optional<BalanceLog> balance_;
    std::string failure_;
    char block_[16 * 1024];
};

}  // namespace

RunResult RunLoad(const LoadOptions& options, const Backend& backend) {
    Driver driver(options, backend);
    return driver.Run();
}

}  // namespace load
