#include "BellSynth.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>
#include <random>

namespace bellsounds {

namespace {

// The partials of a true-harmonic tuned bell as multiples of the nominal,
// with their strength at the blow and how much longer than the nominal they
// ring: the lower the partial, the longer it hums on.
struct Partial {
    double ratio;
    double amplitude;
    double decayFactor;
};
constexpr Partial kPartials[] = {
    {0.25, 0.35, 2.5},   // hum
    {0.50, 0.45, 2.2},   // prime
    {0.60, 0.50, 1.7},   // tierce, a minor third above the prime
    {0.75, 0.22, 1.3},   // quint
    {1.00, 1.00, 1.0},   // nominal
    {1.50, 0.40, 0.6},   // superquint
    {2.00, 0.30, 0.45},  // octave nominal
    {2.51, 0.12, 0.3},   // upper partials, quickly gone
    {2.66, 0.10, 0.25}, {3.01, 0.08, 0.2},
};

// The clang of the clapper: inharmonic high modes that die within a few tens
// of milliseconds, and a burst of noise.
constexpr Partial kClang[] = {{4.23, 0.25, 1.0}, {5.41, 0.18, 0.8}, {6.87, 0.12, 0.6}};
constexpr double kClangDecaySeconds = 0.025;
constexpr double kNoiseAmplitude = 0.5;
constexpr double kNoiseDecaySeconds = 0.004;

// The tenor's nominal dies away in this time (to 1/e); lighter bells, being
// smaller, ring shorter in proportion to their pitch.
constexpr double kTenorNominalDecaySeconds = 1.6;
constexpr double kAttackSeconds = 0.001;
constexpr double kFadeOutSeconds = 0.25;
constexpr double kPeak = 0.45;

double RaisedCosine(double x) { return 0.5 - 0.5 * std::cos(std::numbers::pi * x); }

// Adds amplitude * e^(-t / decay) * sin(2 pi hz t). A phasor turned and shrunk
// once per sample keeps the frequency exact without a sin or exp per sample.
void AddDampedPartial(std::vector<double>& wave, double hz, double amplitude, double decaySeconds, int rate) {
    const std::complex<double> step =
        std::polar(std::exp(-1.0 / (decaySeconds * rate)), 2 * std::numbers::pi * hz / rate);
    std::complex<double> phasor = amplitude;
    for (double& sample : wave) {
        sample += phasor.imag();
        phasor *= step;
    }
}

// White noise, differenced so that the blow sounds bright, not like a thud.
void AddClapperNoise(std::vector<double>& wave, int rate, std::uint32_t seed) {
    std::minstd_rand noise(seed);
    const double shrink = std::exp(-1.0 / (kNoiseDecaySeconds * rate));
    const std::size_t length = std::min(wave.size(), static_cast<std::size_t>(20 * kNoiseDecaySeconds * rate));
    double envelope = kNoiseAmplitude;
    double previous = 0;
    for (std::size_t i = 0; i < length; ++i) {
        const double white = 2.0 * (noise() - noise.min()) / (noise.max() - noise.min()) - 1.0;
        wave[i] += envelope * (white - previous) / 2;
        previous = white;
        envelope *= shrink;
    }
}

// Rounds off the first millisecond and fades the end, so neither clicks.
void ShapeEnds(std::vector<double>& wave, int rate) {
    const auto attack = std::min(wave.size(), static_cast<std::size_t>(kAttackSeconds * rate));
    for (std::size_t i = 0; i < attack; ++i) wave[i] *= RaisedCosine(static_cast<double>(i) / attack);
    const auto fade = std::min(wave.size(), static_cast<std::size_t>(kFadeOutSeconds * rate));
    for (std::size_t i = 0; i < fade; ++i) {
        wave[wave.size() - 1 - i] *= RaisedCosine(static_cast<double>(i) / fade);
    }
}

}  // namespace

std::vector<std::int16_t> SynthesiseBell(const BellStrike& strike) {
    const auto frames = static_cast<std::size_t>(std::lround(strike.seconds * strike.sampleRate));
    const double nominalDecay = kTenorNominalDecaySeconds * strike.tenorNominalHz / strike.nominalHz;
    const double nyquist = strike.sampleRate / 2.0;

    std::vector<double> wave(frames);
    const auto addPartials = [&](const auto& partials, double baseDecay) {
        for (const Partial& p : partials) {
            const double hz = p.ratio * strike.nominalHz;
            if (hz < nyquist) AddDampedPartial(wave, hz, p.amplitude, baseDecay * p.decayFactor, strike.sampleRate);
        }
    };
    addPartials(kPartials, nominalDecay);
    addPartials(kClang, kClangDecaySeconds);
    AddClapperNoise(wave, strike.sampleRate, strike.seed);
    ShapeEnds(wave, strike.sampleRate);

    double loudest = 0;
    for (double s : wave) loudest = std::max(loudest, std::abs(s));
    const double scale = loudest > 0 ? kPeak * 32767 / loudest : 0;
    std::vector<std::int16_t> pcm(frames);
    std::transform(wave.begin(), wave.end(), pcm.begin(),
                   [scale](double s) { return static_cast<std::int16_t>(std::lround(s * scale)); });
    return pcm;
}

}  // namespace bellsounds
