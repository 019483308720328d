#pragma once
// The mixer behind the sound devices: a fixed table of voices, each playing
// one immutable sound, summed into a mono float buffer in the audio callback.
// Control calls (Attach, Detach, Seek, Play) come from one thread at a time
// and hand their requests over through atomics; Mix neither locks nor
// allocates, so the audio thread never waits for the control thread or the
// other way round.
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform {

// A decoded sound in the mixer's format: mono float samples at the output rate.
struct MixerSound {
    std::vector<float> samples;
};

class Mixer {
public:
    static constexpr int kVoiceCount = 32;

    // Gives the voice a sound, stopped at its start. The sound must stay alive
    // and unchanged until the voice is detached and Released says so.
    void Attach(int voice, const MixerSound* sound);

    // Takes the voice's sound away. The result is a token for Released.
    std::uint64_t Detach(int voice);

    // True once the audio thread can no longer be reading a sound that was
    // detached with this token, so the sound may be freed.
    bool Released(std::uint64_t detachToken) const;

    // Moves the voice to the start of its sound and stops it.
    void Seek(int voice);

    // Lets the voice play on from its current position.
    void Play(int voice);

    // Renders the next frames of every playing voice into out, summed and
    // clipped to [-1, 1]. Called by the audio thread, or directly by benchmarks.
    void Mix(float* out, int frames);

    // steady_clock time in ns at which Mix last began rendering the voice from
    // the start of its sound; 0 if it has not since the voice was attached.
    std::int64_t RestartRenderNs(int voice) const;

private:
    struct Voice {
        std::atomic<const MixerSound*> sound{nullptr};
        // Written by the control thread only: seeks so far << 1 | playing.
        std::atomic<std::uint64_t> command{0};
        std::atomic<std::int64_t> restartRenderNs{0};
        // The audio thread's own state.
        std::uint64_t seeksSeen = 0;
        std::size_t position = 0;
    };

    std::array<Voice, kVoiceCount> voices_;
    // Odd while Mix runs; lets Detach's caller know when a sound is free.
    std::atomic<std::uint64_t> mixEpoch_{0};
};

}  // namespace platform
