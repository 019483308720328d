// Redis publish/subscribe as the relay: each ringer is one RESP3 connection
// that subscribes to its tower's channel and publishes its strikes there, so
// every subscriber, the sender included, gets each strike.
#pragma once

#include <string>

#include "tools/load/Backend.h"

namespace load {

class RedisBackend final : public Backend {
public:
    void Enter(const Client& client, ByteQueue& out) const override;
    void Strike(const Client& client, const wire::Strike& strike, ByteQueue& out) const override;
    std::size_t Consume(Client& client, std::string_view bytes, ClientEvents& events) const override;

    static std::string Channel(int tower);
};

}  // namespace load
