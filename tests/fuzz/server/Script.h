// The input of the server's fuzz target: a script of what up to 16 clients do.
// Each step is an op byte, whose high nibble says what happens and whose low
// nibble names the connection (0 to 15), then the step's own bytes:
//
//   0x0n  connect  + 1 byte: the address it comes from (of kAddressCount)
//   0x1n  send     + 2 bytes: a length L, little-endian + L bytes it sends
//   0x2n  close    the client closes its connection
//   0x3n  read     the client reads everything waiting for it
//   0x4n  wait     + 1 byte: the clock moves on that many times 50 ms
//
// Higher nibbles wrap round onto these five and a step cut short by the end
// of the script takes what is there, so every byte string is a script.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "net/Messages.h"

namespace fuzzscript {

inline constexpr int kConnectionCount = 16;
inline constexpr int kAddressCount = 4;
inline constexpr std::chrono::milliseconds kWaitUnit{50};

enum class Op : std::uint8_t { Connect, Send, Close, Read, Wait };

struct Step {
    Op op;
    int connection;                     // 0 to kConnectionCount - 1
    int address = 0;                    // Connect: 0 to kAddressCount - 1
    std::string_view bytes;             // Send
    std::chrono::milliseconds wait{0};  // Wait
};

// Takes the next step off the front of `script`; nothing at its end.
inline std::optional<Step> NextStep(std::string_view& script) {
    if (script.empty()) return std::nullopt;
    const auto byte = [&script]() -> unsigned {  // taken off the front; 0 past the end
        return script.empty() ? 0 : static_cast<std::uint8_t>(std::exchange(script, script.substr(1)).front());
    };
    const unsigned op = byte();
    Step step{.op = static_cast<Op>((op >> 4) % 5), .connection = static_cast<int>(op & 0x0F)};
    if (step.op == Op::Connect) step.address = static_cast<int>(byte() % kAddressCount);
    if (step.op == Op::Wait) step.wait = byte() * kWaitUnit;
    if (step.op == Op::Send) {
        const unsigned low = byte();
        step.bytes = script.substr(0, low | byte() << 8);
        script.remove_prefix(step.bytes.size());
    }
    return step;
}

// A message as its type's builder makes it.
template <typename Message>
std::string Bytes(const Message& message) {
    return std::string(wire::Build(message).Bytes());
}

// Writes scripts step by step, as the seed corpus is made.
class ScriptWriter {
public:
    ScriptWriter& Connect(int connection, int from = 0) {
        return Put(Op::Connect, connection, {static_cast<char>(from)});
    }
    // Longer byte strings go out as several sends.
    ScriptWriter& Send(int connection, std::string_view bytes) {
        do {
            const std::string_view part = bytes.substr(0, 0xFFFF);
            bytes.remove_prefix(part.size());
            Put(Op::Send, connection, {static_cast<char>(part.size() & 0xFF), static_cast<char>(part.size() >> 8)});
            bytes_ += part;
        } while (!bytes.empty());
        return *this;
    }
    ScriptWriter& Close(int connection) { return Put(Op::Close, connection); }
    ScriptWriter& Read(int connection) { return Put(Op::Read, connection); }
    ScriptWriter& Read(std::initializer_list<int> connections) {
        for (const int connection : connections) Read(connection);
        return *this;
    }
    // Rounded up to whole units, in as many steps as it takes.
    ScriptWriter& Wait(std::chrono::milliseconds time) {
        for (auto units = (time + kWaitUnit - std::chrono::milliseconds(1)) / kWaitUnit; units > 0; units -= 0xFF)
            Put(Op::Wait, 0, {static_cast<char>(std::min<decltype(units)>(units, 0xFF))});
        return *this;
    }
    const std::string& Bytes() const { return bytes_; }

private:
    ScriptWriter& Put(Op op, int connection, std::initializer_list<char> operands = {}) {
        bytes_ += static_cast<char>(static_cast<int>(op) << 4 | (connection & 0x0F));
        bytes_ += operands;
        return *this;
    }
    std::string bytes_;
};

}  // namespace fuzzscript
