#include "PitchMeasure.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>
#include <utility>

namespace soundtest {

namespace {

void Fft(std::vector<std::complex<double>>& a) {
    const std::size_t n = a.size();
    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap(a[i], a[j]);
    }
    for (std::size_t length = 2; length <= n; length <<= 1) {
        const std::complex<double> step = std::polar(1.0, -2 * std::numbers::pi / static_cast<double>(length));
        for (std::size_t start = 0; start < n; start += length) {
            std::complex<double> w = 1;
            for (std::size_t k = 0; k < length / 2; ++k, w *= step) {
                const std::complex<double> even = a[start + k];
                const std::complex<double> odd = w * a[start + k + length / 2];
                a[start + k] = even + odd;
                a[start + k + length / 2] = even - odd;
            }
        }
    }
}

// Magnitude of the windowed samples' spectrum at the frequency, by Goertzel's
// recurrence: one multiply-add per sample.
double MagnitudeAt(const std::vector<double>& windowed, int rate, double hz) {
    const double coefficient = 2 * std::cos(2 * std::numbers::pi * hz / rate);
    double previous = 0;
    double beforePrevious = 0;
    for (double sample : windowed) {
        const double current = sample + coefficient * previous - beforePrevious;
        beforePrevious = previous;
        previous = current;
    }
    return std::sqrt(
        std::max(0.0, previous * previous + beforePrevious * beforePrevious - coefficient * previous * beforePrevious));
}

}  // namespace

double StrongestPartialHz(const std::vector<double>& samples, std::size_t begin, std::size_t count, int rate,
                          double minHz, double maxHz) {
    std::vector<double> windowed(count);
    for (std::size_t n = 0; n < count; ++n) {
        const double hann =
            0.5 - 0.5 * std::cos(2 * std::numbers::pi * static_cast<double>(n) / static_cast<double>(count - 1));
        windowed[n] = samples.at(begin + n) * hann;
    }
    std::size_t size = 1;
    while (size < 4 * count) size <<= 1;
    std::vector<std::complex<double>> spectrum(windowed.begin(), windowed.end());
    spectrum.resize(size);
    Fft(spectrum);

    const double binHz = static_cast<double>(rate) / static_cast<double>(size);
    std::size_t best = static_cast<std::size_t>(minHz / binHz);
    for (std::size_t k = best; k <= static_cast<std::size_t>(maxHz / binHz); ++k) {
        if (std::abs(spectrum[k]) > std::abs(spectrum[best])) best = k;
    }

    // Golden-section search for the top of the peak's main lobe.
    const double ratio = (std::sqrt(5.0) - 1) / 2;
    double low = (static_cast<double>(best) - 1) * binHz;
    double high = (static_cast<double>(best) + 1) * binHz;
    for (int i = 0; i < 40; ++i) {
        const double a = high - ratio * (high - low);
        const double b = low + ratio * (high - low);
        if (MagnitudeAt(windowed, rate, a) > MagnitudeAt(windowed, rate, b)) {
            high = b;
        } else {
            low = a;
        }
    }
    return (low + high) / 2;
}

}  // namespace soundtest
