// What differs between the relays the load tool can drive: how a connection
// enters its tower, how bells are allocated, how a strike is sent and how the
// relay's messages are read. The driver owns the sockets and the timing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "net/Framing.h"
#include "net/Messages.h"
#include "tools/load/ByteQueue.h"
#include "tools/load/LoadOptions.h"

namespace load {

struct Client {
    int fd = -1;
    int tower = 0;
    int ringer = 0;  // index in its tower; rings bell ringer + 1
    ByteQueue in;    // bytes of an incomplete message
    ByteQueue out;   // bytes the socket has not taken yet
    bool connected = false;
    bool entered = false;
    bool hasBell = false;
    bool wantWrite = false;
    std::uint16_t stroke = 0;  // of the latest strike sent
    std::uint16_t pingMs = 0;  // of the latest echo, reported with the next strike
};

// What the relay's messages tell the driver.
class ClientEvents {
public:
    virtual void OnEntered(Client& client) = 0;
    virtual void OnBellAllocated(Client& client) = 0;
    // A strike as the relay delivered it: the 14 bytes the sender built.
    virtual void OnStrike(Client& client, std::string_view strike) = 0;
    virtual void OnFailure(Client& client, std::string what) = 0;

protected:
    ~ClientEvents() = default;
};

class Backend {
public:
    virtual ~Backend() = default;
    // What a new connection sends: ringer 0 opens the tower, the others join it.
    virtual void Enter(const Client& client, ByteQueue& out) const = 0;
    // Whether ringer 0 must hand out the bells once the whole tower is in.
    virtual bool AllocatesBells() const { return false; }
    virtual void Allocate(const Client& /*leader*/, int /*ringers*/, ByteQueue& /*out*/) const {}
    virtual void Strike(const Client& client, const wire::Strike& strike, ByteQueue& out) const = 0;
    // Handles the complete messages at the front of `bytes`; returns how many
    // bytes they took. Stops at the first malformed one, after OnFailure.
    virtual std::size_t Consume(Client& client, std::string_view bytes, ClientEvents& events) const = 0;
};

std::unique_ptr<Backend> MakeBackend(BackendKind kind);

// What a relay sends is read as soon as a message's header is there.
inline constexpr wire::FrameRules kReplyFrames{static_cast<std::size_t>(wire::kHeaderSize), 0xFFFF};

// The 14-byte strike every backend carries.
void AppendStrike(const wire::Strike& strike, ByteQueue& out);

}  // namespace load
