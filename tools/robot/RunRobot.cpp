#include "tools/robot/RunRobot.h"

#include <poll.h>
#include <signal.h>

#include <cerrno>

#include "net/HeadlessConnection.h"
#include "tools/robot/RobotClient.h"

namespace robot {

namespace {

using Clock = RobotClient::Clock;
using namespace std::chrono_literals;

constexpr auto kConnectTimeout = 10s;
constexpr auto kLastWordsTimeout = 2s;  // for the chat line sent on leaving

volatile sig_atomic_t stopSignal = 0;
void OnStopSignal(int signal) { stopSignal = signal; }

class ConnectionSink final : public OutgoingSink {
public:
    explicit ConnectionSink(HeadlessConnection& connection) : connection_(connection) {}
    void Queue(const MessageBuffer& message) override { connection_.Send(message.Bytes()); }

private:
    HeadlessConnection& connection_;
};

// SIGINT and SIGTERM are held back except while waiting, so a stop is seen
// by the loop, never in the middle of a strike. Returns the mask to wait with.
sigset_t CatchStopSignals() {
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigset_t stops, waiting;
    sigemptyset(&stops);
    sigaddset(&stops, SIGINT);
    sigaddset(&stops, SIGTERM);
    sigprocmask(SIG_BLOCK, &stops, &waiting);
    sigdelset(&waiting, SIGINT);
    sigdelset(&waiting, SIGTERM);
    return waiting;
}

// Waits for the socket or until `until`; false when a signal ended the wait.
bool Wait(HeadlessConnection& connection, std::optional<Clock::time_point> until, const sigset_t& mask, short& events) {
    pollfd waiting{connection.Descriptor(), static_cast<short>(POLLIN | (connection.WantsToWrite() ? POLLOUT : 0)), 0};
    timespec timeout{};
    if (until) {
        const auto left = std::max(Clock::duration::zero(), *until - Clock::now());
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
        timeout.tv_sec = static_cast<time_t>(ns / 1'000'000'000);
        timeout.tv_nsec = static_cast<long>(ns % 1'000'000'000);
    }
    const int ready = ::ppoll(&waiting, 1, until ? &timeout : nullptr, &mask);
    events = ready > 0 ? waiting.revents : 0;
    return !(ready < 0 && errno == EINTR);
}

// Sends what is still waiting before the connection closes.
void SendLastWords(HeadlessConnection& connection, const sigset_t& mask) {
    const auto deadline = Clock::now() + kLastWordsTimeout;
    short events = 0;
    while (connection.IsOpen() && connection.WantsToWrite() && Clock::now() < deadline) {
        if (Wait(connection, deadline, mask, events) && (events & POLLOUT)) connection.Flush();
    }
}

}  // namespace

int RunRobot(const RobotOptions& options, std::ostream& out, std::ostream& err) {
    std::string error;
    const auto connection = HeadlessConnection::Open(options.host, options.port, kConnectTimeout, error);
    if (!connection) {
        err << "tolmer-robot: cannot connect to " << options.host << " port " << options.port << ": " << error
            << std::endl;
        return 1;
    }
    const sigset_t waitMask = CatchStopSignals();
    ConnectionSink sink(*connection);
    RobotClient robot(options, sink, out);
    robot.Start();
    for (;;) {
        if (const auto& ending = robot.Ended()) {
            SendLastWords(*connection, waitMask);
            if (ending->status == 0) out << ending->message << std::endl;
            else err << "tolmer-robot: " << ending->message << std::endl;
            return ending->status;
        }
        if (!connection->IsOpen()) {
            err << "tolmer-robot: connection to the server lost: " << connection->CloseReason() << std::endl;
            return 1;
        }
        const std::optional<PlannedStrike> strike = robot.NextStrike();
        std::optional<Clock::time_point> strikeAt;
        if (strike) strikeAt = Clock::time_point(std::chrono::microseconds(strike->sendAt));
        if (strikeAt && *strikeAt <= Clock::now()) {
            robot.Strike(*strike, Clock::now());
            continue;
        }
        short events = 0;
        if (!Wait(*connection, strikeAt, waitMask, events)) {
            out << "Stopped by signal " << stopSignal << "." << std::endl;
            return 0;
        }
        if (events & (POLLIN | POLLHUP | POLLERR)) {
            robot.SetArrivalTime(Clock::now());
            connection->Receive(robot);
        }
        if (events & POLLOUT) connection->Flush();
    }
}

}  // namespace robot
