#include "platform/sound/Mixer.h"

#include <algorithm>
#include <chrono>

namespace platform {

namespace {

// The audio callback must never wait, so the hand-over may not fall back on locks.
static_assert(std::atomic<std::uint64_t>::is_always_lock_free);
static_assert(std::atomic<std::int64_t>::is_always_lock_free);
static_assert(std::atomic<const MixerSound*>::is_always_lock_free);

constexpr std::uint64_t kPlayingBit = 1;

std::int64_t SteadyNowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

void Mixer::Attach(int voice, const MixerSound* sound) {
    Voice& v = voices_[voice];
    Seek(voice);  // a new seek count makes the audio thread start the sound afresh
    v.restartRenderNs.store(0, std::memory_order_relaxed);
    v.sound.store(sound, std::memory_order_seq_cst);
}

std::uint64_t Mixer::Detach(int voice) {
    // Both seq_cst, paired with Mix: either Mix sees the null sound, or this
    // load sees the odd epoch of the Mix that may still hold the old one.
    voices_[voice].sound.store(nullptr, std::memory_order_seq_cst);
    return mixEpoch_.load(std::memory_order_seq_cst);
}

bool Mixer::Released(std::uint64_t detachToken) const {
    return detachToken % 2 == 0 || mixEpoch_.load(std::memory_order_acquire) != detachToken;
}

void Mixer::Seek(int voice) {
    std::atomic<std::uint64_t>& command = voices_[voice].command;
    const std::uint64_t seeks = command.load(std::memory_order_relaxed) >> 1;
    command.store((seeks + 1) << 1, std::memory_order_release);
}

void Mixer::Play(int voice) {
    std::atomic<std::uint64_t>& command = voices_[voice].command;
    command.store(command.load(std::memory_order_relaxed) | kPlayingBit, std::memory_order_release);
}

void Mixer::Mix(float* out, int frames) {
    mixEpoch_.fetch_add(1, std::memory_order_seq_cst);
    std::fill(out, out + frames, 0.0f);
    for (Voice& v : voices_) {
        const MixerSound* sound = v.sound.load(std::memory_order_seq_cst);
        if (sound == nullptr) continue;
        const std::uint64_t command = v.command.load(std::memory_order_acquire);
        const std::uint64_t seeks = command >> 1;
        if (seeks != v.seeksSeen) {
            v.seeksSeen = seeks;
            v.position = 0;
        }
        const std::size_t length = sound->samples.size();
        if ((command & kPlayingBit) == 0 || v.position >= length) continue;
        if (v.position == 0) {
            // Read after the voice's command: a time read earlier in this call
            // could come before the strike that restarted it.
            v.restartRenderNs.store(SteadyNowNs(), std::memory_order_release);
        }
        const std::size_t count = std::min(static_cast<std::size_t>(frames), length - v.position);
        const float* source = sound->samples.data() + v.position;
        for (std::size_t i = 0; i < count; ++i) out[i] += source[i];
        v.position += count;
    }
    for (int i = 0; i < frames; ++i) out[i] = std::clamp(out[i], -1.0f, 1.0f);
    mixEpoch_.fetch_add(1, std::memory_order_release);
}

std::int64_t Mixer::RestartRenderNs(int voice) const {
    return voices_[voice].restartRenderNs.load(std::memory_order_acquire);
}

}  // namespace platform
