// The floor: the least any relay over TCP must do. It groups connections by
// tower and forwards every framed message to each connection of the tower,
// the sender included, with one send per destination. It reads nothing but
// the length field, and the tower from a connection's first message.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "net/Framing.h"
#include "tools/load/ByteQueue.h"

namespace load {

// A floor connection's first message: a bare header whose third word is the
// tower, followed by the ringer's index. It is relayed like any other, so a
// client that sees its own comes back knows the relay has placed it.
struct FloorJoin {
    std::uint16_t tower = 0;
    std::uint16_t ringer = 0;
};
void AppendFloorJoin(const FloorJoin& join, ByteQueue& out);
// Nothing when the message is not a floor join.
std::optional<FloorJoin> ReadFloorJoin(std::string_view message);

// The relay reads a message as soon as its header is there.
inline constexpr wire::FrameRules kRelayFrames{static_cast<std::size_t>(wire::kHeaderSize), 0xFFFF};

// A listening TCP socket on 127.0.0.1; port 0 picks a free port, which
// `port` then holds. Returns -1 on failure, with errno set.
int ListenOnLoopback(int& port);

class FloorRelay {
public:
    // Takes over a listening socket.
    explicit FloorRelay(int listenFd);
    ~FloorRelay();
    FloorRelay(const FloorRelay&) = delete;
    FloorRelay& operator=(const FloorRelay&) = delete;

    // Serves until Stop; false when the event loop itself fails.
    bool Run();
    // Safe from another thread.
    void Stop();

private:
    // Sends one message to every connection of its tower.
    void Relay(const std::vector<int>& members, std::string_view message);
    // Sends to one connection, queueing what the socket does not take at once.
    void SendTo(int fd, std::string_view bytes);

    struct Connection {
        bool open = false;
        int tower = -1;
        ByteQueue in;
        ByteQueue out;
        bool wantWrite = false;
        bool broken = false;
    };

    void Accept();
    void Read(int fd);
    void Flush(int fd);
    std::size_t Forward(int fd, std::string_view bytes);
    void Close(int fd);
    void CloseBroken();
    void WatchWrite(int fd, bool on);

    int listenFd_;
    int epollFd_;
    int stopFd_;
    std::vector<Connection> connections_;  // by descriptor
    std::unordered_map<int, std::vector<int>> towers_;
    std::vector<int> broken_;
};

}  // namespace load
