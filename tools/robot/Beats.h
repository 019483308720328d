// The band's rhythm counts blows as beats: row k's blow in place p (from 0)
// is beat k*n + k/2 + p on n bells, so every handstroke row after the first
// starts one beat later than its backstroke would (open handstroke lead).
#pragma once

namespace robot {

struct Blow {
    long row;
    int place;  // == bells for the handstroke gap after a backstroke row
};

inline long BeatOf(long row, int place, int bells) { return row * bells + row / 2 + place; }

inline Blow BlowAt(long beat, int bells) {
    const long pull = 2L * bells + 1;
    long pulls = beat / pull;
    long within = beat % pull;
    if (within < 0) {
        within += pull;
        --pulls;
    }
    if (within < bells) return {2 * pulls, static_cast<int>(within)};
    return {2 * pulls + 1, static_cast<int>(within - bells)};
}

}  // namespace robot
