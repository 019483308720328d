// audio-latency [--strikes N] [--sounds DIR] [--report-only]
// Strikes the thirteen bell sounds at random moments and measures how long
// each strike takes to reach the mixer: from the PlaySound call to the first
// callback that renders the restarted sound. Runs on SDL's dummy driver
// unless SDL_AUDIODRIVER names another; on Windows (cross-built with the
// client) on the default device through WASAPI. Fails when a strike never
// renders or, without --report-only, when the 99th percentile exceeds one
// period + 1 ms.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "platform/sound/MixerProbe.h"
#include "platform/sound/SoundDevice.h"

namespace {

using namespace std::chrono_literals;

constexpr double kAllowanceMs = 1.0;
constexpr auto kRenderTimeout = 500ms;
constexpr int kMaxGapMs = 15;  // strikes are this far apart at most

struct Options {
    int strikes = 200;
    std::string soundDir = TOLMER_SOUNDS_DIR;
    bool reportOnly = false;
};

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--strikes" && i + 1 < argc) {
            options.strikes = std::atoi(argv[++i]);
            if (options.strikes < 1) return false;
        } else if (arg == "--sounds" && i + 1 < argc) {
            options.soundDir = argv[++i];
        } else if (arg == "--report-only") {
            options.reportOnly = true;
        } else {
            return false;
        }
    }
    return true;
}

std::int64_t SteadyNowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Nearest-rank percentile of sorted values.
double Percentile(const std::vector<double>& sorted, double p) {
    const auto rank = static_cast<std::size_t>(std::ceil(p / 100 * static_cast<double>(sorted.size())));
    return sorted[std::clamp<std::size_t>(rank, 1, sorted.size()) - 1];
}

// Strikes the device and waits for its first render; the latency in ms, or
// a negative value when it did not render in time.
double MeasureStrike(platform::SoundDeviceId id) {
    const std::int64_t struckAt = SteadyNowNs();
    platform::SeekSoundToStart(id);
    platform::PlaySound(id);
    const auto deadline = std::chrono::steady_clock::now() + kRenderTimeout;
    std::int64_t renderedAt = 0;
    while ((renderedAt = platform::LastRestartRenderNs(id)) < struckAt) {
        if (std::chrono::steady_clock::now() > deadline) return -1;
        std::this_thread::sleep_for(100us);
    }
    return static_cast<double>(renderedAt - struckAt) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: audio-latency [--strikes N] [--sounds DIR] [--report-only]\n");
        return 2;
    }
#ifndef _WIN32
    setenv("SDL_AUDIODRIVER", "dummy", 0);  // Windows has no such choice: its default device plays
#endif

    std::vector<platform::SoundDeviceId> bells;
    for (const char* label : {"1", "2", "3", "4", "5", "6", "6b", "7", "8", "9", "10", "11", "12"}) {
        const std::string file = options.soundDir + "/bell" + label + ".wav";
        bells.push_back(platform::OpenSoundDevice(file));
        if (bells.back() == 0) {
            std::fprintf(stderr, "audio-latency: cannot open %s\n", file.c_str());
            return 1;
        }
    }
    const platform::AudioOutputInfo output = platform::CurrentAudioOutput();
    if (!output.open) {
        std::fprintf(stderr, "audio-latency: no audio output\n");
        return 1;
    }
    const double periodMs = 1000.0 * output.periodFrames / output.rate;

    std::mt19937 random(20240601);
    std::uniform_int_distribution<std::size_t> pickBell(0, bells.size() - 1);
    std::uniform_int_distribution<int> gapUs(0, kMaxGapMs * 1000);
    std::vector<double> latencies;
    int missed = 0;
    for (int strike = 0; strike < options.strikes; ++strike) {
        std::this_thread::sleep_for(std::chrono::microseconds(gapUs(random)));
        const double ms = MeasureStrike(bells[pickBell(random)]);
        if (ms < 0) {
            ++missed;
        } else {
            latencies.push_back(ms);
        }
    }
    for (platform::SoundDeviceId id : bells) platform::CloseSoundDevice(id);

    std::sort(latencies.begin(), latencies.end());
    const double limitMs = periodMs + kAllowanceMs;
    std::printf("driver %s, %d Hz, period %d frames = %.3f ms\n", output.driver.c_str(), output.rate,
                output.periodFrames, periodMs);
    if (!latencies.empty()) {
        std::printf(
            "%zu strikes, strike to first render: p50 %.3f ms, p99 %.3f ms, max %.3f ms"
            " (limit for p99 %.3f ms)\n",
            latencies.size(), Percentile(latencies, 50), Percentile(latencies, 99), latencies.back(), limitMs);
    }
    if (missed > 0) {
        std::printf("%d strikes never rendered within %lld ms\n", missed,
                    static_cast<long long>(std::chrono::milliseconds(kRenderTimeout).count()));
        return 1;
    }
    if (!options.reportOnly && Percentile(latencies, 99) > limitMs) {
        std::printf("p99 over the limit\n");
        return 1;
    }
    return 0;
}
