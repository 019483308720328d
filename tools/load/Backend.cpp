#include "tools/load/Backend.h"

#include "tools/load/FloorBackend.h"
#include "tools/load/RedisBackend.h"
#include "tools/load/TolmerBackend.h"

namespace load {

std::unique_ptr<Backend> MakeBackend(BackendKind kind) {
    switch (kind) {
    case BackendKind::Tolmer: return std::make_unique<TolmerBackend>();
    case BackendKind::Redis: return std::make_unique<RedisBackend>();
    case BackendKind::Floor: return std::make_unique<FloorBackend>();
    }
    return nullptr;
}

void AppendStrike(const wire::Strike& strike, ByteQueue& out) { out.Append(wire::Build(strike).Bytes()); }

}  // namespace load
