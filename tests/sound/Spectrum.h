#pragma once
// Pitch measurement for the bell sound tests.
#include <cstddef>
#include <vector>

namespace soundtest {

// A stretch of a sound under a Hann window.
class WindowedSpan {
public:
    WindowedSpan(const std::vector<double>& samples, std::size_t begin, std::size_t count, int rate);

    // Magnitude of the span's spectrum at the frequency.
    double MagnitudeAt(double hz) const;

    // Frequency of the strongest spectral peak between minHz and maxHz, found
    // on a padded FFT and then refined to a small fraction of a cent.
    double StrongestPartialHz(double minHz, double maxHz) const;

private:
    std::vector<double> windowed_;
    int rate_;
};

}  // namespace soundtest
