// Reads one top-level value of the Redis serialization protocol (versions 2
// and 3) without copying: enough to tell replies, subscription confirmations
// and published messages apart and to reach their strings.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace load {

struct RespValue {
    char type = 0;              // the type byte: '+', '-', ':', '$', '*', '>', '%', ...
    std::string_view text;      // a scalar's text or bytes
    int count = 0;              // elements of an aggregate
    std::string_view items[4];  // its first scalar elements (empty for nested aggregates)
};

enum class RespStatus { Complete, Incomplete, Malformed };

// Reads the value at the front of `bytes`; on Complete, `used` is its length.
RespStatus ReadResp(std::string_view bytes, RespValue& value, std::size_t& used);

}  // namespace load
