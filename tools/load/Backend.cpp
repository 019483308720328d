#include "tools/load/Backend.h"

#include "net/Wire.h"
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

void AppendStrike(const StrikeFields& strike, ByteQueue& out) {
    char bytes[wire::strike::kSize];
    WriteU16(bytes + wire::kLengthOffset, wire::strike::kSize);
    WriteU16(bytes + wire::kTypeOffset, wire::strike::kType);
    WriteU16(bytes + wire::kWordOffset, wire::kThirdWord);
    WriteU16(bytes + wire::strike::kBell, strike.bell);
    WriteU16(bytes + wire::strike::kStroke, strike.stroke);
    WriteU16(bytes + wire::strike::kSequence, strike.sequence);
    WriteU16(bytes + wire::strike::kPing, strike.ping);
    out.Append({bytes, sizeof bytes});
}

}  // namespace load
