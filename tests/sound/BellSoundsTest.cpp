// The bell sounds that make-bell-sounds writes are in tune, by measurement of
// each bell's strongest partial soon after the blow, when the clang is over.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <numbers>
#include <string>
#include <vector>

#include "TestWav.h"
#include "platform/sound/WavDecoder.h"

namespace {

constexpr int kRate = 44100;

void Fft(std::vector<std::complex<double>>& a) {
    const std::size_t n = a.size();
    if (n == 1) return;
    std::vector<std::complex<double>> even(n / 2), odd(n / 2);
    for (std::size_t i = 0; i < n / 2; ++i) {
        even[i] = a[2 * i];
        odd[i] = a[2 * i + 1];
    }
    Fft(even);
    Fft(odd);
    for (std::size_t k = 0; k < n / 2; ++k) {
        const std::complex<double> turned = std::polar(1.0, -2 * std::numbers::pi * k / n) * odd[k];
        a[k] = even[k] + turned;
        a[k + n / 2] = even[k] - turned;
    }
}

// The frequency of the strongest peak from 50 Hz to 4 kHz in 16384 samples
// from 50 ms after the blow under a Hann window, padded to four times the
// length; the top of the peak is found by a parabola through the log
// magnitudes of its bin and both neighbours, to a small fraction of a cent.
double NominalHz(const std::vector<float>& samples) {
    constexpr std::size_t kCount = 16384, kSize = 4 * kCount, kBegin = kRate / 20;
    std::vector<std::complex<double>> spectrum(kSize);
    for (std::size_t n = 0; n < kCount; ++n)
        spectrum[n] = samples.at(kBegin + n) * (0.5 - 0.5 * std::cos(2 * std::numbers::pi * n / (kCount - 1)));
    Fft(spectrum);
    const double binHz = static_cast<double>(kRate) / kSize;
    std::size_t best = static_cast<std::size_t>(50 / binHz);
    for (std::size_t k = best; k <= static_cast<std::size_t>(4000 / binHz); ++k)
        if (std::abs(spectrum[k]) > std::abs(spectrum[best])) best = k;
    const double left = std::log(std::abs(spectrum[best - 1])), top = std::log(std::abs(spectrum[best]));
    const double right = std::log(std::abs(spectrum[best + 1]));
    return (static_cast<double>(best) + 0.5 * (left - right) / (left - 2 * top + right)) * binHz;
}

// Rung upwards from the tenor, bell 12, to bell 1 the twelve go
// do re mi fa so la ti do re mi fa so; with 6b in place of 6, bells 9 down
// to 1 form a major scale on bell 9. W is a whole tone, H a half tone.
TEST(BellSounds, TheTwelveAndTheFrontNineWithSixFlatFormMajorScales) {
    const std::filesystem::path folder = soundtest::TempPath("bells");
    ASSERT_EQ(std::system(("'" MAKE_BELL_SOUNDS "' '" + folder.string() + "' 2>/dev/null").c_str()), 0);
    std::map<std::string, double> nominal;
    for (const char* bell : {"1", "2", "3", "4", "5", "6", "6b", "7", "8", "9", "10", "11", "12"}) {
        const auto sound = platform::DecodeWavFile((folder / ("bell" + std::string(bell) + ".wav")).string(), kRate);
        ASSERT_TRUE(sound) << "bell" << bell << ".wav is missing or malformed";
        nominal[bell] = NominalHz(sound->samples);
    }
    std::filesystem::remove_all(folder);

    const std::pair<std::vector<std::string>, std::string> scales[] = {
        {{"12", "11", "10", "9", "8", "7", "6", "5", "4", "3", "2", "1"}, "WWHWWWHWWHW"},
        {{"9", "8", "7", "6b", "5", "4", "3", "2", "1"}, "WWHWWWHW"},
    };
    for (const auto& [bells, steps] : scales) {
        for (std::size_t i = 0; i + 1 < bells.size(); ++i) {
            const double from = nominal[bells[i]], to = nominal[bells[i + 1]];
            EXPECT_NEAR(1200 * std::log2(to / from), steps[i] == 'W' ? 200 : 100, 3)
                << "from bell " << bells[i] << " (" << from << " Hz) up to bell " << bells[i + 1];
        }
    }
    EXPECT_GT(nominal["12"], 250);
    EXPECT_LT(nominal["12"], 500);
}

}  // namespace
