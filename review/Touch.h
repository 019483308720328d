// A touch as it was heard: every strike that moved a bell, from the first
// after a silence to the next silence, with who rang the bell at the time.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

// One strike as heard. 16 bytes: a touch of a few thousand blows is small.
struct RecordedBlow {
    std::chrono::steady_clock::time_point at;  // arrival of the server's copy
    std::uint16_t ringer = 0;                  // index into Touch::ringers
    std::uint8_t bell = 0;                     // 1 to 12
    std::uint8_t stroke = 0;                   // 1 handstroke, 0 backstroke
};

struct Touch {
    std::chrono::system_clock::time_point startedAt;  // wall clock, for names and labels
    std::vector<std::string> ringers;                 // "" when a bell had no ringer announced
    std::vector<RecordedBlow> blows;                  // in the order heard

    double MsSinceStart(const RecordedBlow& blow) const {
        return std::chrono::duration<double, std::milli>(blow.at - blows.front().at).count();
    }
    // Empties the touch and keeps its storage.
    void Clear() {
        ringers.clear();
        blows.clear();
    }
};
