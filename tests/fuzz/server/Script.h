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

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace fuzzscript {

inline constexpr int kConnectionCount = 16;
inline constexpr int kAddressCount = 4;
inline constexpr std::chrono::milliseconds kWaitUnit{50};

struct Step {
    enum class Kind : std::uint8_t { Connect, Send, Close, Read, Wait };
    Kind kind;
    int connection;                     // 0 to kConnectionCount - 1
    int address = 0;                    // Connect: 0 to kAddressCount - 1
    std::string_view bytes;             // Send
    std::chrono::milliseconds wait{0};  // Wait
};

class ScriptReader {
public:
    explicit ScriptReader(std::string_view script) : rest_(script) {}
    // The next step, or nothing at the end of the script.
    std::optional<Step> Next();

private:
    std::uint8_t Byte();  // 0 past the end
    std::string_view rest_;
};

// Writes scripts step by step, as the seed corpus is made.
class ScriptWriter {
public:
    ScriptWriter& Connect(int connection, int address = 0);
    // Longer byte strings go out as several sends.
    ScriptWriter& Send(int connection, std::string_view bytes);
    ScriptWriter& Close(int connection);
    ScriptWriter& Read(int connection);
    // Rounded up to whole units, in as many steps as it takes.
    ScriptWriter& Wait(std::chrono::milliseconds time);

    const std::string& Bytes() const { return bytes_; }

private:
    void Op(Step::Kind kind, int connection);
    std::string bytes_;
};

}  // namespace fuzzscript
