// The bell sounds that make-bell-sounds writes, checked by measurement: the
// file format, the tuning of the ring and the character of a bell.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "PitchMeasure.h"
#include "TestWav.h"
#include "platform/sound/WavDecoder.h"

namespace {

constexpr int kRate = 44100;
constexpr double kToleranceCents = 3;

std::string Quoted(const std::filesystem::path& path) { return "'" + path.string() + "'"; }

int RunTool(const std::string& arguments) {
    return std::system((Quoted(MAKE_BELL_SOUNDS) + " " + arguments + " 2>/dev/null").c_str());
}

double Cents(double from, double to) { return 1200 * std::log2(to / from); }

double Rms(const std::vector<double>& samples, double fromSeconds, double toSeconds) {
    const auto begin = static_cast<std::size_t>(fromSeconds * kRate);
    const auto end = static_cast<std::size_t>(toSeconds * kRate);
    double sum = 0;
    for (std::size_t i = begin; i < end; ++i) sum += samples[i] * samples[i];
    return std::sqrt(sum / static_cast<double>(end - begin));
}

class BellSoundsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = soundtest::TempPath("bells");
        ASSERT_EQ(RunTool(Quoted(dir_)), 0);
        for (const char* label : {"1", "2", "3", "4", "5", "6", "6b", "7", "8", "9", "10", "11", "12"}) {
            const auto path = dir_ / ("bell" + std::string(label) + ".wav");
            // A canonical file: the 44-byte header of 16-bit mono PCM at 44100 Hz, then the data.
            std::ifstream in(path, std::ios::binary);
            const std::string file{std::istreambuf_iterator<char>(in), {}};
            canonical_[label] = file.size() > 44 && file == soundtest::WavBytes(1, 1, kRate, 16, file.substr(44));
            // Read as the client reads it, at the file's own rate.
            const auto sound = platform::DecodeWavFile(path.string(), kRate);
            ASSERT_TRUE(sound) << path << " is missing or malformed";
            samples_[label].assign(sound->samples.begin(), sound->samples.end());
            // The strongest partial soon after the blow, when the clang is over.
            nominals_[label] = soundtest::StrongestPartialHz(samples_[label], kRate / 20, 16384, kRate, 50, 4000);
        }
    }
    static void TearDownTestSuite() { std::filesystem::remove_all(dir_); }

    static inline std::filesystem::path dir_;
    static inline std::map<std::string, bool> canonical_;
    static inline std::map<std::string, std::vector<double>> samples_;
    static inline std::map<std::string, double> nominals_;
};

TEST_F(BellSoundsTest, FilesAreThreeSecondMonoSixteenBitAt44100) {
    ASSERT_EQ(canonical_.size(), 13u);
    for (const auto& [label, canonical] : canonical_) {
        EXPECT_TRUE(canonical) << "bell" << label << " is not a canonical 16-bit mono WAV at 44100 Hz";
        EXPECT_NEAR(static_cast<double>(samples_[label].size()) / kRate, 3.0, 0.25) << "bell" << label;
    }
}

// Rung upwards from the tenor, bell 12, to bell 1 the twelve go
// do re mi fa so la ti do re mi fa so; with 6b in place of 6, bells 9 down
// to 1 form a major scale on bell 9. W is a whole tone, H a half tone.
TEST_F(BellSoundsTest, TheTwelveAndTheFrontNineWithSixFlatFormMajorScales) {
    const std::pair<std::vector<std::string>, std::string> scales[] = {
        {{"12", "11", "10", "9", "8", "7", "6", "5", "4", "3", "2", "1"}, "WWHWWWHWWHW"},
        {{"9", "8", "7", "6b", "5", "4", "3", "2", "1"}, "WWHWWWHW"},
    };
    for (const auto& [bells, steps] : scales) {
        for (std::size_t i = 0; i + 1 < bells.size(); ++i) {
            EXPECT_NEAR(Cents(nominals_[bells[i]], nominals_[bells[i + 1]]), steps[i] == 'W' ? 200 : 100,
                        kToleranceCents)
                << "from bell " << bells[i] << " (" << nominals_[bells[i]] << " Hz) up to bell " << bells[i + 1];
        }
    }
    EXPECT_GT(nominals_["12"], 250);
    EXPECT_LT(nominals_["12"], 500);
}

TEST_F(BellSoundsTest, HeavierBellsRingLonger) {
    double previous = 0;
    for (int bell = 1; bell <= 12; ++bell) {
        const std::vector<double>& samples = samples_[std::to_string(bell)];
        const double remaining = Rms(samples, 2.0, 2.5) / Rms(samples, 0.1, 0.6);
        EXPECT_GT(remaining, previous) << "bell " << bell << " dies away faster than bell " << bell - 1;
        previous = remaining;
    }
}

}  // namespace
