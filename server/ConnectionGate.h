// One connection as the server's rules see it, apart from its socket: what it
// sends is cut into messages for the hall, and it is held to the lobby's
// deadlines (Hello soon after connecting, a tower soon after Hello). The
// event loop hands it the bytes it reads and asks it again at its deadlines;
// the hall's fuzzer drives the same object without a network.
#pragma once

#include <cassert>
#include <optional>
#include <string>
#include <string_view>

#include "net/Framing.h"
#include "server/Clock.h"
#include "server/TowerHall.h"

namespace server {

class ConnectionGate {
public:
    struct Timeouts {
        Clock::Duration hello;  // from connecting to its Hello
        Clock::Duration join;   // from its Hello to entering a tower
    };
    enum class Overdue {
        No,
        Hello,  // no Hello in time: the connection is closed
        Tower,  // in no tower in time after Hello: it is turned away
    };
    struct Outcome {
        // Why the connection has to be closed: input that no client sends.
        std::optional<std::string> protocolError;
        // Set when this input held the connection's Hello: when to Check it next.
        std::optional<Clock::TimePoint> joinBy;
    };

    // For the hall's connection `id`, which connected at `connected`.
    ConnectionGate(ConnectionId id, Timeouts timeouts, Clock::TimePoint connected)
        : id_(id), timeouts_(timeouts), helloBy_(connected + timeouts.hello) {}

    // When to Check the connection first.
    Clock::TimePoint HelloBy() const { return helloBy_; }

    // The start of a message whose rest has not arrived. The next input must
    // begin with these bytes: the event loop reads new bytes in right behind them.
    std::string_view Kept() const { return kept_; }

    // Hands every whole message of `input` to the hall, in order, until one is
    // a protocol error or `stillOpen()` turns false after one (the hall's
    // answers may have cut the sender off), and keeps the unfinished rest.
    template <typename StillOpen>
    Outcome Receive(TowerHall& hall, std::string_view input, Clock::TimePoint now, StillOpen&& stillOpen) {
        assert(input.substr(0, kept_.size()) == kept_);
        Outcome outcome;
        bool open = true;
        const wire::FrameRun run = wire::ForEachFrame(input, wire::kFromClient, [&](std::string_view message) {
            outcome.protocolError = hall.Receive(id_, message);
            if (outcome.protocolError) return false;
            open = stillOpen();
            return open;
        });
        if (open) Finish(hall, input, run, now, outcome);
        return outcome;
    }

    // What the lobby's deadlines ask of the connection by `now`.
    Overdue Check(const TowerHall& hall, Clock::TimePoint now) const;

private:
    void Finish(const TowerHall& hall, std::string_view input, const wire::FrameRun& run, Clock::TimePoint now,
                Outcome& outcome);

    ConnectionId id_;
    Timeouts timeouts_;
    Clock::TimePoint helloBy_;
    std::optional<Clock::TimePoint> joinBy_;  // set once the hall has seen its Hello
    std::string kept_;
};

}  // namespace server
