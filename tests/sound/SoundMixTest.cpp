// What the mixer plays, read back from SDL's disk audio driver, which writes
// the exact output (mono float at 48 kHz) to a file as it would to a card.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "TestWav.h"
#include "platform/sound/MixerProbe.h"
#include "platform/sound/SoundDevice.h"

namespace {

using platform::SoundDeviceId;
using namespace std::chrono_literals;

constexpr int kRate = 48000;
constexpr int kPeriod = 240;
constexpr double kFullScale = 32768.0;
constexpr int kRampFrames = 9600;  // 200 ms

void Sleep(std::chrono::milliseconds time) { std::this_thread::sleep_for(time); }

// A sample of the output as a multiple of one 16-bit step.
long Steps(float sample) { return std::lround(sample * kFullScale); }

class SoundMixTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        output_ = soundtest::TempPath("mix.raw");
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", output_.c_str(), 1);
        // Sample k of the ramp is k + 1 steps, so every output sample tells
        // which frame of the sound it came from.
        std::vector<std::int16_t> ramp(kRampFrames);
        for (int k = 0; k < kRampFrames; ++k) ramp[k] = static_cast<std::int16_t>(k + 1);
        WriteSound("ramp.wav", ramp, 1, kRate);
    }
    static void TearDownTestSuite() {
        for (const auto& file : files_) std::filesystem::remove(file);
        std::filesystem::remove(output_);
    }

    static std::string WriteSound(const std::string& name, const std::vector<std::int16_t>& samples, int channels,
                                  int rate) {
        files_.push_back(soundtest::TempPath(name));
        soundtest::WritePcm16Wav(files_.back(), samples, channels, rate);
        return files_.back().string();
    }

    static SoundDeviceId Open(const std::string& file) {
        const SoundDeviceId id = platform::OpenSoundDevice(file);
        EXPECT_NE(id, 0u) << file;
        EXPECT_EQ(platform::CurrentAudioOutput().driver, "disk");
        return id;
    }

    static void Strike(SoundDeviceId id) {
        ASSERT_TRUE(platform::SeekSoundToStart(id));
        ASSERT_TRUE(platform::PlaySound(id));
    }

    static std::size_t FramesWritten() {
        std::error_code error;
        const auto bytes = std::filesystem::file_size(output_, error);
        return error ? 0 : bytes / sizeof(float);
    }

    // Marks where the output stands before the strikes of a test.
    void MarkStart() { start_ = FramesWritten(); }

    // The output from the mark on, once the driver has written that much.
    std::vector<float> OutputSinceMark(std::size_t frames) const {
        const auto deadline = std::chrono::steady_clock::now() + 5s;
        while (FramesWritten() < start_ + frames && std::chrono::steady_clock::now() < deadline) Sleep(5ms);
        std::vector<float> samples(frames);
        std::ifstream in(output_, std::ios::binary);
        in.seekg(static_cast<std::streamoff>(start_ * sizeof(float)));
        in.read(reinterpret_cast<char*>(samples.data()), static_cast<std::streamsize>(frames * sizeof(float)));
        EXPECT_TRUE(in) << "the disk driver wrote too little";
        return samples;
    }

    static std::size_t FirstSound(const std::vector<float>& out, std::size_t from = 0) {
        while (from < out.size() && out[from] == 0.0f) ++from;
        return from;
    }

    // Checks that the ramp plays from its first frame at out[at] and returns
    // how many of its frames follow in order.
    static int RampRun(const std::vector<float>& out, std::size_t at) {
        int frames = 0;
        while (at + frames < out.size() && Steps(out[at + frames]) == frames + 1) ++frames;
        return frames;
    }

    static std::string RampFile() { return files_.front().string(); }

    static inline std::filesystem::path output_;
    static inline std::vector<std::filesystem::path> files_;
    std::size_t start_ = 0;
};

TEST_F(SoundMixTest, SecondStrikeCutsTheSoundAndStartsItAgain) {
    const SoundDeviceId ramp = Open(RampFile());
    MarkStart();
    Strike(ramp);
    Sleep(60ms);
    Strike(ramp);
    const std::vector<float> out = OutputSinceMark(kRate * 6 / 10);

    const std::size_t first = FirstSound(out);
    ASSERT_LT(first, out.size()) << "the strike was not heard";
    const int cutAfter = RampRun(out, first);
    EXPECT_GT(cutAfter, 0);
    EXPECT_LT(cutAfter, kRampFrames) << "the second strike did not cut the first";
    // Seek and play may straddle one callback, which then renders silence.
    const std::size_t second = FirstSound(out, first + cutAfter);
    EXPECT_LE(second - (first + cutAfter), static_cast<std::size_t>(kPeriod));
    EXPECT_EQ(RampRun(out, second), kRampFrames) << "the second strike did not play in full";
    EXPECT_EQ(FirstSound(out, second + kRampFrames), out.size()) << "sound after the end";
}

// The tone over the top of the ramp sums past full scale: clipped there.
TEST_F(SoundMixTest, TwoDevicesSoundTogetherAndALoudSumIsClippedToFullScale) {
    constexpr std::int16_t kToneSteps = 28000;
    constexpr int kToneFrames = 4800;
    const SoundDeviceId ramp = Open(RampFile());
    const SoundDeviceId tone =
        Open(WriteSound("tone.wav", std::vector<std::int16_t>(kToneFrames, kToneSteps), 1, kRate));
    MarkStart();
    Strike(ramp);
    Sleep(40ms);
    Strike(tone);
    const std::vector<float> out = OutputSinceMark(kRate * 4 / 10);

    const std::size_t first = FirstSound(out);
    ASSERT_LE(first + kRampFrames, out.size());
    // While the ramp plays, each sample is the ramp alone or the ramp plus the tone.
    std::size_t toneStart = 0;
    int toneFrames = 0, clipped = 0;
    for (int k = 0; k < kRampFrames; ++k) {
        const long sample = Steps(out[first + k]);
        const long mixed = std::min(k + 1L + kToneSteps, static_cast<long>(kFullScale));
        ASSERT_TRUE(sample == k + 1 || sample == mixed) << "frame " << k << " holds " << sample;
        if (sample == mixed && toneFrames++ == 0) toneStart = k;
        clipped += sample == kFullScale;
    }
    EXPECT_GT(toneStart, 0u);
    EXPECT_EQ(toneFrames, kToneFrames) << "the tone was not heard whole over the ramp";
    EXPECT_GT(clipped, 0);
    EXPECT_EQ(Steps(out[first + toneStart + kToneFrames]), static_cast<long>(toneStart) + kToneFrames + 1);
    EXPECT_EQ(FirstSound(out, first + kRampFrames), out.size());
}

TEST_F(SoundMixTest, StereoCdRateFileIsConvertedOnOpen) {
    constexpr int kSourceRate = 44100;
    constexpr int kSourceFrames = kSourceRate / 4;
    std::vector<std::int16_t> stereo(2 * kSourceFrames, 16384);  // 0.5 on both sides
    const SoundDeviceId id = Open(WriteSound("stereo.wav", stereo, 2, kSourceRate));
    MarkStart();
    Strike(id);
    const std::vector<float> out = OutputSinceMark(kRate / 2);

    const std::size_t first = FirstSound(out);
    std::size_t last = out.size();
    while (last > first && out[last - 1] == 0.0f) --last;
    EXPECT_NEAR(static_cast<double>(last - first), kRate / 4.0, 64) << "wrong rate after conversion";
    for (std::size_t k = first + 200; k + 200 < last; ++k) ASSERT_NEAR(out[k], 0.5f, 2e-3f) << "frame " << k;
}

}  // namespace
