#pragma once
// Pitch measurement for the bell sound tests.
#include <cstddef>
#include <vector>

namespace soundtest {

// Frequency of the strongest spectral peak between minHz and maxHz in `count`
// samples from `begin` under a Hann window, found on a padded FFT and then
// refined to a small fraction of a cent.
double StrongestPartialHz(const std::vector<double>& samples, std::size_t begin, std::size_t count, int rate,
                          double minHz, double maxHz);

}  // namespace soundtest
