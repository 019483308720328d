// The WAV reader the Windows backend decodes with: the formats it reads, the
// files it refuses, and its resampling.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <numbers>

#include "TestWav.h"
#include "platform/sound/WavReader.h"

namespace {

using platform::ParseWav;
using soundtest::LittleEndian;
using soundtest::WavBytes;

TEST(WavReader, ReadsEachSampleFormatToMonoInUnitRange) {
    const float quarter = 0.25f;
    std::int32_t quarterBits;
    std::memcpy(&quarterBits, &quarter, 4);
    // Channels are averaged; a chunk of odd length before the data is skipped with its pad byte.
    const std::string list("LIST\3\0\0\0abc\0", 12);
    const std::pair<std::string, std::vector<float>> cases[] = {
        {WavBytes(1, 1, 44100, 16, LittleEndian({0, 16384, -32768}, 2)), {0.0f, 0.5f, -1.0f}},
        {WavBytes(1, 1, 8000, 8, LittleEndian({128, 255, 0}, 1)), {0.0f, 127.0f / 128.0f, -1.0f}},
        {WavBytes(1, 1, 48000, 24, LittleEndian({0x400000, -0x800000}, 3)), {0.5f, -1.0f}},
        {WavBytes(3, 1, 48000, 32, LittleEndian({quarterBits}, 4), true), {0.25f}},
        {WavBytes(1, 2, 22050, 16, LittleEndian({16384, 0, -16384, -16384}, 2), false, list), {0.25f, -0.5f}},
    };
    for (const auto& [file, mono] : cases) {
        platform::WavSamples wav;
        ASSERT_TRUE(ParseWav(file, wav));
        EXPECT_EQ(wav.mono, mono);
    }
}

TEST(WavReader, RefusesWhatIsNotAWavFileItCanRead) {
    platform::WavSamples wav;
    std::string noData = WavBytes(1, 1, 8000, 16, "");
    noData.replace(noData.find("data"), 4, "junk");
    for (const std::string& file :
         {std::string(), std::string("RIFF\4\0\0\0AVI ", 12), noData, WavBytes(2, 1, 8000, 4, "\1\2"),  // ADPCM
          WavBytes(1, 0, 8000, 16, "\1\2"),                                                             // no channels
          WavBytes(1, 1, 8000, 12, "\1\2")})                                                            // 12-bit
        EXPECT_FALSE(ParseWav(file, wav)) << file.size() << " bytes";
    // A data chunk cut short gives the whole frames it still holds.
    std::string cut = WavBytes(1, 1, 8000, 16, LittleEndian({100, 200, 300}, 2));
    cut.resize(cut.size() - 3);
    ASSERT_TRUE(ParseWav(cut, wav));
    EXPECT_EQ(wav.mono.size(), 1u);
    EXPECT_EQ(platform::ReadWavFile("/no/such/folder/bell1.wav", 48000), nullptr);
}

TEST(WavReader, AFileIsReadAtTheRateAskedForWithItsPitchLoudnessAndLength) {
    constexpr int kFrom = 44100, kTo = 48000;
    std::vector<std::int16_t> tone(kFrom);
    for (std::size_t i = 0; i < tone.size(); ++i)
        tone[i] = static_cast<std::int16_t>(16384 * std::sin(2 * std::numbers::pi * 1000.0 * i / kFrom));
    const auto file = soundtest::TempPath("reader-tone.wav");
    soundtest::WritePcm16Wav(file, tone, 1, kFrom);
    const auto read = platform::ReadWavFile(file.string(), kTo);
    std::filesystem::remove(file);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->samples.size(), static_cast<std::size_t>(kTo));
    // 1000 Hz: two sign changes a millisecond, in the middle half-second.
    int signChanges = 0;
    float peak = 0;
    for (int i = 12000; i < 36000; ++i) {
        signChanges += (read->samples[i] < 0) != (read->samples[i + 1] < 0);
        peak = std::max(peak, std::abs(read->samples[i]));
    }
    EXPECT_NEAR(signChanges, 1000, 1);
    EXPECT_NEAR(peak, 0.5, 0.01);
    const std::vector<float> same(100, 0.5f);
    EXPECT_EQ(platform::Resample(same, kFrom, kFrom), same);
}

}  // namespace
