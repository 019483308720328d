// Drives tolmer-server over its own protocol, as the desktop client does:
// Hello, then StartTower (ringer 0) or JoinTower; ringer 0 appoints itself
// conductor and gives bell n to ringer n - 1 with one RingerInfo per ringer.
#pragma once

#include <string>

#include "tools/load/Backend.h"

namespace load {

class TolmerBackend final : public Backend {
public:
    void Enter(const Client& client, ByteQueue& out) const override;
    bool AllocatesBells() const override { return true; }
    void Allocate(const Client& leader, int ringers, ByteQueue& out) const override;
    void Strike(const Client& client, const wire::Strike& strike, ByteQueue& out) const override;
    std::size_t Consume(Client& client, std::string_view bytes, ClientEvents& events) const override;

    static std::string TowerName(int tower);
    static std::string RingerName(int ringer);
};

}  // namespace load
