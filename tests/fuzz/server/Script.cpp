#include "tests/fuzz/server/Script.h"

#include <algorithm>

namespace fuzzscript {
namespace {

constexpr int kKinds = 5;
constexpr std::size_t kLongestSend = 0xFFFF;

}  // namespace

std::uint8_t ScriptReader::Byte() {
    if (rest_.empty()) return 0;
    const auto byte = static_cast<std::uint8_t>(rest_.front());
    rest_.remove_prefix(1);
    return byte;
}

std::optional<Step> ScriptReader::Next() {
    if (rest_.empty()) return std::nullopt;
    const std::uint8_t op = Byte();
    Step step{.kind = static_cast<Step::Kind>((op >> 4) % kKinds), .connection = op & 0x0F};
    switch (step.kind) {
    case Step::Kind::Connect: step.address = Byte() % kAddressCount; break;
    case Step::Kind::Send: {
        const std::size_t length = Byte() | static_cast<std::size_t>(Byte()) << 8;
        step.bytes = rest_.substr(0, length);
        rest_.remove_prefix(step.bytes.size());
        break;
    }
    case Step::Kind::Wait: step.wait = Byte() * kWaitUnit; break;
    case Step::Kind::Close:
    case Step::Kind::Read: break;
    }
    return step;
}

void ScriptWriter::Op(Step::Kind kind, int connection) {
    bytes_ += static_cast<char>(static_cast<int>(kind) << 4 | (connection & 0x0F));
}

ScriptWriter& ScriptWriter::Connect(int connection, int address) {
    Op(Step::Kind::Connect, connection);
    bytes_ += static_cast<char>(address);
    return *this;
}

ScriptWriter& ScriptWriter::Send(int connection, std::string_view bytes) {
    do {
        const std::string_view part = bytes.substr(0, kLongestSend);
        bytes.remove_prefix(part.size());
        Op(Step::Kind::Send, connection);
        bytes_ += static_cast<char>(part.size() & 0xFF);
        bytes_ += static_cast<char>(part.size() >> 8);
        bytes_ += part;
    } while (!bytes.empty());
    return *this;
}

ScriptWriter& ScriptWriter::Close(int connection) {
    Op(Step::Kind::Close, connection);
    return *this;
}

ScriptWriter& ScriptWriter::Read(int connection) {
    Op(Step::Kind::Read, connection);
    return *this;
}

ScriptWriter& ScriptWriter::Wait(std::chrono::milliseconds time) {
    auto units = (time + kWaitUnit - std::chrono::milliseconds(1)) / kWaitUnit;
    while (units > 0) {
        const auto step = std::min<decltype(units)>(units, 0xFF);
        Op(Step::Kind::Wait, 0);
        bytes_ += static_cast<char>(step);
        units -= step;
    }
    return *this;
}

}  // namespace fuzzscript
