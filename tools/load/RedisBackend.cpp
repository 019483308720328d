#include "tools/load/RedisBackend.h"

#include <initializer_list>

#include "net/Wire.h"
#include "tools/load/RespReader.h"

namespace load {

namespace {

// A command as an array of bulk strings (binary-safe).
void AppendCommand(std::initializer_list<std::string_view> words, ByteQueue& out) {
    const auto count = std::to_string(words.size());
    out.Append("*");
    out.Append(count);
    out.Append("\r\n");
    for (const auto word : words) {
        const auto length = std::to_string(word.size());
        out.Append("$");
        out.Append(length);
        out.Append("\r\n");
        out.Append(word);
        out.Append("\r\n");
    }
}

}  // namespace

std::string RedisBackend::Channel(int tower) { return "tower:" + std::to_string(tower); }

void RedisBackend::Enter(const Client& client, ByteQueue& out) const {
    AppendCommand({"HELLO", "3"}, out);
    AppendCommand({"SUBSCRIBE", Channel(client.tower)}, out);
}

void RedisBackend::Strike(const Client& client, const wire::Strike& strike, ByteQueue& out) const {
    ByteQueue bytes;
    AppendStrike(strike, bytes);
    AppendCommand({"PUBLISH", Channel(client.tower), bytes.View()}, out);
}

std::size_t RedisBackend::Consume(Client& client, std::string_view bytes, ClientEvents& events) const {
    std::size_t used = 0;
    while (used < bytes.size()) {
        RespValue value;
        std::size_t length = 0;
        const auto status = ReadResp(bytes.substr(used), value, length);
        if (status == RespStatus::Incomplete) break;
        if (status == RespStatus::Malformed) {
            events.OnFailure(client, "malformed reply from redis");
            return used;
        }
        used += length;
        if (value.type == '-' || value.type == '!') {
            events.OnFailure(client, "redis: " + std::string(value.text));
            return used;
        }
        if (value.type != '>') continue;  // the HELLO map and PUBLISH counts
        const auto kind = value.items[0];
        if (kind == "subscribe") {
            events.OnEntered(client);
        } else if (kind == "message" && value.count == 3) {
            if (value.items[2].size() < static_cast<std::size_t>(wire::strike::kMinSize)) {
                events.OnFailure(client, "published message of " + std::to_string(value.items[2].size()) + " bytes");
                return used;
            }
            events.OnStrike(client, value.items[2]);
        }
    }
    return used;
}

}  // namespace load
