// The WAV reader the Windows backend decodes with: the formats it reads, the
// files it refuses, and its resampling.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <numbers>
#include <string>
#include <vector>

#include "PitchMeasure.h"
#include "TestWav.h"
#include "platform/sound/WavReader.h"

namespace {

using platform::ParseWav;
using platform::WavSamples;
using soundtest::LittleEndian;
using soundtest::WavBytes;

TEST(WavReader, ReadsEachSampleFormatToMonoInUnitRange) {
    WavSamples wav;
    ASSERT_TRUE(ParseWav(WavBytes(1, 1, 44100, 16, LittleEndian({0, 16384, -32768}, 2)), wav));
    EXPECT_EQ(wav.rate, 44100);
    EXPECT_EQ(wav.mono, (std::vector<float>{0.0f, 0.5f, -1.0f}));

    ASSERT_TRUE(ParseWav(WavBytes(1, 1, 8000, 8, LittleEndian({128, 255, 0}, 1)), wav));
    EXPECT_EQ(wav.mono, (std::vector<float>{0.0f, 127.0f / 128.0f, -1.0f}));

    ASSERT_TRUE(ParseWav(WavBytes(1, 1, 48000, 24, LittleEndian({0x400000, -0x800000}, 3)), wav));
    EXPECT_EQ(wav.mono, (std::vector<float>{0.5f, -1.0f}));

    const float quarter = 0.25f;
    std::uint32_t bits;
    std::memcpy(&bits, &quarter, 4);
    ASSERT_TRUE(ParseWav(WavBytes(3, 1, 48000, 32, LittleEndian({static_cast<std::int32_t>(bits)}, 4), true), wav));
    EXPECT_EQ(wav.mono, std::vector<float>{0.25f});

    // Channels are averaged; a chunk of odd length before the data is skipped with its pad byte.
    const std::string list("LIST\3\0\0\0abc\0", 12);
    ASSERT_TRUE(ParseWav(WavBytes(1, 2, 22050, 16, LittleEndian({16384, 0, -16384, -16384}, 2), false, list), wav));
    EXPECT_EQ(wav.mono, (std::vector<float>{0.25f, -0.5f}));
}

TEST(WavReader, RefusesWhatIsNotAWavFileItCanRead) {
    WavSamples wav;
    EXPECT_FALSE(ParseWav("", wav));
    EXPECT_FALSE(ParseWav("RIFF\4\0\0\0AVI ", wav));
    EXPECT_FALSE(ParseWav(WavBytes(2, 1, 8000, 4, "\1\2"), wav));   // ADPCM
    EXPECT_FALSE(ParseWav(WavBytes(1, 0, 8000, 16, "\1\2"), wav));  // no channels
    EXPECT_FALSE(ParseWav(WavBytes(1, 1, 8000, 12, "\1\2"), wav));  // 12-bit
    std::string noData = WavBytes(1, 1, 8000, 16, "");
    noData.replace(noData.find("data"), 4, "junk");
    EXPECT_FALSE(ParseWav(noData, wav));
    // A data chunk cut short gives the whole frames it still holds.
    std::string cut = WavBytes(1, 1, 8000, 16, LittleEndian({100, 200, 300}, 2));
    cut.resize(cut.size() - 3);
    ASSERT_TRUE(ParseWav(cut, wav));
    EXPECT_EQ(wav.mono.size(), 1u);
    EXPECT_EQ(platform::ReadWavFile("/no/such/folder/bell1.wav", 48000), nullptr);
}

TEST(WavReader, ResamplingKeepsPitchLoudnessAndLength) {
    constexpr int kFrom = 44100, kTo = 48000;
    std::vector<float> tone(kFrom);
    for (std::size_t i = 0; i < tone.size(); ++i)
        tone[i] = 0.5f * static_cast<float>(std::sin(2 * std::numbers::pi * 1000.0 * static_cast<double>(i) / kFrom));
    const std::vector<float> out = platform::Resample(tone, kFrom, kTo);
    EXPECT_EQ(out.size(), static_cast<std::size_t>(kTo));
    EXPECT_EQ(platform::Resample(tone, kFrom, kFrom), tone);
    // A file is read at the rate asked for.
    const auto file = soundtest::TempPath("reader-tone.wav");
    std::vector<std::int16_t> pcm;
    for (const float s : tone) pcm.push_back(static_cast<std::int16_t>(s * 32767));
    soundtest::WritePcm16Wav(file, pcm, 1, kFrom);
    const auto read = platform::ReadWavFile(file.string(), kTo);
    std::filesystem::remove(file);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->samples.size(), out.size());

    const std::vector<double> middle(out.begin() + 8000, out.begin() + 8000 + 16384);
    EXPECT_NEAR(soundtest::StrongestPartialHz(middle, 0, middle.size(), kTo, 500, 2000), 1000.0, 0.5);
    double peak = 0;
    for (double s : middle) peak = std::max(peak, std::abs(s));
    EXPECT_NEAR(peak, 0.5, 0.01);
}

}  // namespace
