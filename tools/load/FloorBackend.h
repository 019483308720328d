// The client side of the floor relay: a join message naming the tower, then
// bare strikes; the relay hands out no bells, each ringer just rings its own.
#pragma once

#include "tools/load/Backend.h"

namespace load {

class FloorBackend final : public Backend {
public:
    void Enter(const Client& client, ByteQueue& out) const override;
    void Strike(const Client& client, const wire::Strike& strike, ByteQueue& out) const override;
    std::size_t Consume(Client& client, std::string_view bytes, ClientEvents& events) const override;
};

}  // namespace load
