// A TowerSession whose messages are kept for the test to read, and short
// ways to feed it what a server sends.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "tower/TowerSession.h"

namespace testsupport {

struct KeptMessages : OutgoingSink {
    std::vector<MessageBuffer> messages;
    void Queue(const MessageBuffer& message) override { messages.push_back(message); }
    wire::Strike StrikeAt(std::size_t i) const { return wire::ReadStrike(messages.at(i).Bytes()).value(); }
    wire::Strike LastStrike() const { return StrikeAt(messages.size() - 1); }
};

class SessionTest : public testing::Test {
protected:
    KeptMessages sent;
    TowerSession session{sent};
    std::int32_t clockMs = 1000;  // the session's time of day

    void SetUp() override {
        session.timeOfDayMs = [this] { return clockMs; };
    }

    RingerChange Info(int bellCount, const std::string& name, const std::string& bells, bool conductor = false) {
        return session.OnRingerInfo(wire::RingerInfo{static_cast<std::uint16_t>(bellCount), name, bells, conductor});
    }
    // The user, named `own`, in a tower where the ringers were announced in turn.
    void Enter(const std::string& own, int bellCount, const std::vector<std::pair<std::string, std::string>>& ringers) {
        session.JoinTower("St Mary", own);
        session.OnTowerEntered(wire::TowerEntered{"St Mary"});
        for (const auto& [name, bells] : ringers) Info(bellCount, name, bells);
        sent.messages.clear();
    }
    StrikeChange Relay(int bell, int stroke, std::optional<std::uint16_t> sequence = 0,
                       std::optional<std::uint16_t> ping = 0) {
        return session.OnStrike(
            wire::Strike{static_cast<std::uint16_t>(bell), static_cast<std::uint16_t>(stroke), sequence, ping});
    }
    // The column of the bell, or nullptr.
    const SlotState* SlotOf(int bell) const {
        for (const SlotState& slot : session.slots)
            if (slot.bell == bell) return &slot;
        return nullptr;
    }
    int PositionOf(int bell) const { return static_cast<int>(SlotOf(bell) - session.slots.data()) + 1; }
};

}  // namespace testsupport
