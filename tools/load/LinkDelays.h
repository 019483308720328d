// Network delay added in software, since the kernel adds none on loopback:
// what a ringer sends waits here for its link's delay before it goes to the
// socket, and what the relay sends waits before the ringer sees it. Each
// direction of each ringer's link keeps its order.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <queue>
#include <string>
#include <utility>
#include <vector>

namespace load {

class LinkDelays {
public:
    // Bytes on their way, due at the far end at `at` (monotonic nanoseconds).
    struct Parcel {
        std::uint64_t at;
        std::string bytes;
        std::optional<std::uint16_t> strike;  // the sequence number of the strike they carry
    };

    explicit LinkDelays(std::size_t clients) : lines_(clients) {}

    void SendUp(std::uint32_t client, Parcel parcel) { Add(client, lines_[client].up, std::move(parcel)); }
    void SendDown(std::uint32_t client, Parcel parcel) { Add(client, lines_[client].down, std::move(parcel)); }

    // When the next parcel is due; nothing when none is on its way.
    std::optional<std::uint64_t> NextDue() const {
        return due_.empty() ? std::nullopt : std::optional<std::uint64_t>(due_.top().first);
    }

    // Hands every parcel due by `now` to `arrivedUp` or `arrivedDown` with its
    // client, oldest first on each line, while `carryOn` says so.
    template <typename Up, typename Down>
    void Deliver(std::uint64_t now, Up arrivedUp, Down arrivedDown, const std::function<bool()>& carryOn) {
        while (!due_.empty() && due_.top().first <= now && carryOn()) {
            const std::uint32_t client = due_.top().second;
            due_.pop();
            Line& line = lines_[client];
            for (; !line.up.empty() && line.up.front().at <= now && carryOn(); line.up.pop_front())
                arrivedUp(client, line.up.front());
            for (; !line.down.empty() && line.down.front().at <= now && carryOn(); line.down.pop_front())
                arrivedDown(client, line.down.front());
        }
    }

private:
    struct Line {
        std::deque<Parcel> up;    // to the relay
        std::deque<Parcel> down;  // from it
    };
    using Due = std::pair<std::uint64_t, std::uint32_t>;  // when, which client

    void Add(std::uint32_t client, std::deque<Parcel>& line, Parcel parcel) {
        due_.emplace(parcel.at, client);
        line.push_back(std::move(parcel));
    }

    std::vector<Line> lines_;
    std::priority_queue<Due, std::vector<Due>, std::greater<>> due_;
};

}  // namespace load
