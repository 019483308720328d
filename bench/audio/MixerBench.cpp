// Cost of one 5 ms period of the mixer, called directly as the audio callback
// calls it, with 0 to 32 voices sounding.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

#include "platform/sound/Mixer.h"

namespace {

constexpr int kRate = 48000;
constexpr int kPeriodFrames = 240;
constexpr int kSoundFrames = 3 * kRate;
// Restart every voice before its 3 s sound runs out, so all keep sounding.
constexpr int kPeriodsBetweenRestarts = kSoundFrames / kPeriodFrames - 100;

std::vector<platform::MixerSound> DecayingTones(int count) {
    std::vector<platform::MixerSound> sounds(count);
    for (int v = 0; v < count; ++v) {
        const double hz = 311.13 * std::pow(2.0, v / 12.0);
        sounds[v].samples.resize(kSoundFrames);
        for (int i = 0; i < kSoundFrames; ++i) {
            const double t = static_cast<double>(i) / kRate;
            sounds[v].samples[i] = static_cast<float>(0.1 * std::exp(-t) * std::sin(2 * std::numbers::pi * hz * t));
        }
    }
    return sounds;
}

void StrikeAll(platform::Mixer& mixer, int voices) {
    for (int v = 0; v < voices; ++v) {
        mixer.Seek(v);
        mixer.Play(v);
    }
}

void BM_MixPeriod(benchmark::State& state) {
    const int voices = static_cast<int>(state.range(0));
    const std::vector<platform::MixerSound> sounds = DecayingTones(voices);
    const auto mixer = std::make_unique<platform::Mixer>();
    for (int v = 0; v < voices; ++v) mixer->Attach(v, &sounds[v]);
    StrikeAll(*mixer, voices);

    std::vector<float> out(kPeriodFrames);
    int periods = 0;
    for (auto _ : state) {
        mixer->Mix(out.data(), kPeriodFrames);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
        if (++periods == kPeriodsBetweenRestarts) {
            periods = 0;
            StrikeAll(*mixer, voices);
        }
    }
    for (int v = 0; v < voices; ++v) mixer->Detach(v);
    // Frames mixed per second of CPU; real time needs 48k.
    state.SetItemsProcessed(state.iterations() * kPeriodFrames);
}
BENCHMARK(BM_MixPeriod)->Arg(0)->Arg(1)->Arg(13)->Arg(32);

// What a strike costs the GUI thread: a seek and a play.
void BM_Strike(benchmark::State& state) {
    const std::vector<platform::MixerSound> sounds = DecayingTones(1);
    const auto mixer = std::make_unique<platform::Mixer>();
    mixer->Attach(0, &sounds[0]);
    for (auto _ : state) {
        mixer->Seek(0);
        mixer->Play(0);
    }
    mixer->Detach(0);
}
BENCHMARK(BM_Strike);

}  // namespace

BENCHMARK_MAIN();
