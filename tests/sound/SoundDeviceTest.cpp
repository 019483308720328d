// The sound devices, their handles and lifetime, and what the mixer behind
// them plays, read back from SDL's disk audio driver, which writes the exact
// output (mono float at 48 kHz) to a file as it would to a card. Frame k of
// the ramp is k + 1 steps of 16 bits, so every output sample tells which
// frame of the sound it came from.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <thread>

#include "TestWav.h"
#include "platform/sound/MixerProbe.h"
#include "platform/sound/SoundDevice.h"

namespace {

using namespace platform;
using namespace std::chrono_literals;

constexpr int kRate = 48000;
constexpr int kRampFrames = 9600;  // 200 ms
constexpr long kFullScale = 32768;

// A sample of the output as a multiple of one 16-bit step.
long Steps(float sample) { return std::lround(sample * kFullScale); }

std::vector<std::int16_t> Ramp() {
    std::vector<std::int16_t> ramp(kRampFrames);
    for (int k = 0; k < kRampFrames; ++k) ramp[k] = static_cast<std::int16_t>(k + 1);
    return ramp;
}

// Where the first sound from `from` on starts, or out.size().
std::size_t FirstSound(const std::vector<float>& out, std::size_t from = 0) {
    while (from < out.size() && out[from] == 0.0f) ++from;
    return from;
}

// How many frames of the ramp, from its first, play in order from out[at].
int RampRun(const std::vector<float>& out, std::size_t at) {
    int frames = 0;
    while (at + frames < out.size() && Steps(out[at + frames]) == frames + 1) ++frames;
    return frames;
}

class SoundDeviceTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", Output().c_str(), 1);
    }
    static void TearDownTestSuite() { std::filesystem::remove(Output()); }
    static std::filesystem::path Output() { return soundtest::TempPath("mix.raw"); }
    void TearDown() override {
        for (SoundDeviceId id : opened_) CloseSoundDevice(id);
    }

    // A device for a sound of these samples (the file is read as it opens).
    SoundDeviceId Open(const std::vector<std::int16_t>& samples, int channels = 1, int rate = kRate) {
        const auto file = soundtest::TempPath("mix.wav");
        soundtest::WritePcm16Wav(file, samples, channels, rate);
        opened_.push_back(OpenSoundDevice(file.string()));
        std::filesystem::remove(file);
        EXPECT_EQ(CurrentAudioOutput().driver, "disk");
        return opened_.back();
    }
    static bool Strike(SoundDeviceId id) { return SeekSoundToStart(id) && PlaySound(id); }
    static std::size_t FramesWritten() {
        std::error_code error;
        const auto bytes = std::filesystem::file_size(Output(), error);
        return error ? 0 : bytes / sizeof(float);
    }

    // The output from the test's start on, once the driver has written that much.
    std::vector<float> Played(std::size_t frames) const {
        for (int ms = 0; ms < 5000 && FramesWritten() < start_ + frames; ms += 5) std::this_thread::sleep_for(5ms);
        std::vector<float> samples(frames);
        std::ifstream in(Output(), std::ios::binary);
        in.seekg(static_cast<std::streamoff>(start_ * sizeof(float)));
        in.read(reinterpret_cast<char*>(samples.data()), static_cast<std::streamsize>(frames * sizeof(float)));
        EXPECT_TRUE(in) << "the disk driver wrote too little";
        return samples;
    }

    std::vector<SoundDeviceId> opened_;
    const SoundDeviceId ramp_ = Open(Ramp());
    const std::size_t start_ = FramesWritten();
};

TEST_F(SoundDeviceTest, SecondStrikeCutsTheSoundAndStartsItAgain) {
    ASSERT_TRUE(Strike(ramp_));
    std::this_thread::sleep_for(60ms);
    ASSERT_TRUE(Strike(ramp_));
    const std::vector<float> out = Played(kRate * 6 / 10);

    const std::size_t first = FirstSound(out);
    ASSERT_LT(first, out.size()) << "the strike was not heard";
    const int cutAfter = RampRun(out, first);
    EXPECT_GT(cutAfter, 0);
    EXPECT_LT(cutAfter, kRampFrames) << "the second strike did not cut the first";
    // Seek and play may straddle one callback (240 frames), which then renders silence.
    const std::size_t second = FirstSound(out, first + cutAfter);
    EXPECT_LE(second - (first + cutAfter), 240u);
    EXPECT_EQ(RampRun(out, second), kRampFrames) << "the second strike did not play in full";
    EXPECT_EQ(FirstSound(out, second + kRampFrames), out.size()) << "sound after the end";
}

// The tone over the top of the ramp sums past full scale: clipped there.
TEST_F(SoundDeviceTest, TwoDevicesSoundTogetherAndALoudSumIsClippedToFullScale) {
    constexpr std::int16_t kToneSteps = 28000;
    constexpr int kToneFrames = 4800;
    const SoundDeviceId tone = Open(std::vector<std::int16_t>(kToneFrames, kToneSteps));
    ASSERT_TRUE(Strike(ramp_));
    std::this_thread::sleep_for(40ms);
    ASSERT_TRUE(Strike(tone));
    const std::vector<float> out = Played(kRate * 4 / 10);

    const std::size_t first = FirstSound(out);
    ASSERT_LE(first + kRampFrames, out.size());
    // While the ramp plays, each sample is the ramp alone or the ramp plus the tone.
    std::size_t toneStart = 0;
    int toneFrames = 0, clipped = 0;
    for (int k = 0; k < kRampFrames; ++k) {
        const long sample = Steps(out[first + k]);
        const long mixed = std::min(k + 1L + kToneSteps, kFullScale);
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

TEST_F(SoundDeviceTest, StereoCdRateFileIsConvertedOnOpen) {
    const SoundDeviceId id = Open(std::vector<std::int16_t>(2 * 44100 / 4, 16384), 2, 44100);  // 0.5 on both sides
    ASSERT_TRUE(Strike(id));
    const std::vector<float> out = Played(kRate / 2);

    const std::size_t first = FirstSound(out);
    std::size_t last = out.size();
    while (last > first && out[last - 1] == 0.0f) --last;
    EXPECT_NEAR(static_cast<double>(last - first), kRate / 4.0, 64) << "wrong rate after conversion";
    for (std::size_t k = first + 200; k + 200 < last; ++k) ASSERT_NEAR(out[k], 0.5f, 2e-3f) << "frame " << k;
}

// Last in the file: a device closed while it sounds leaves rendered frames on
// their way to the file, which a mix test run after it would read as its own.
TEST_F(SoundDeviceTest, DevicesPlayUntilClosedAndAMissingFileGivesNone) {
    EXPECT_EQ(OpenSoundDevice("/no/such/folder/bell7.wav"), 0u);
    EXPECT_FALSE(PlaySound(0));

    // Thirty-two at once (the ramp's and 31 more), each with an identifier of its own, and no more.
    for (int i = 0; i < 31; ++i) Open(Ramp());
    EXPECT_EQ(std::set<SoundDeviceId>(opened_.begin(), opened_.end()).size(), 32u);
    EXPECT_EQ(std::ranges::count(opened_, 0u), 0);
    EXPECT_EQ(Open(Ramp()), 0u);
    // A strike reaches the audio callback, which stamps when it restarted the sound.
    const std::int64_t struckAt =
        std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count();
    EXPECT_EQ(LastRestartRenderNs(ramp_), 0);
    EXPECT_TRUE(Strike(ramp_));
    for (int ms = 0; ms < 2000 && LastRestartRenderNs(ramp_) < struckAt; ++ms) std::this_thread::sleep_for(1ms);
    EXPECT_GE(LastRestartRenderNs(ramp_), struckAt);

    // A closed device plays no more; the next one may take its voice but
    // never its identifier.
    CloseSoundDevice(ramp_);
    CloseSoundDevice(ramp_);  // twice does no harm
    EXPECT_FALSE(SeekSoundToStart(ramp_));
    EXPECT_EQ(LastRestartRenderNs(ramp_), 0);
    const SoundDeviceId next = Open(Ramp());
    EXPECT_NE(next, 0u);
    EXPECT_NE(next, ramp_);
    EXPECT_FALSE(PlaySound(ramp_));
}

// Closing a device while the callback plays it must not free the sound under
// the callback's feet (the sanitizer build watches for that).
TEST_F(SoundDeviceTest, CloseWhilePlaying) {
    for (int round = 0; round < 100; ++round) {
        const SoundDeviceId id = Open(Ramp());
        ASSERT_TRUE(Strike(id));
        std::this_thread::sleep_for(std::chrono::microseconds(round * 37 % 3000));
        CloseSoundDevice(id);
    }
}

}  // namespace
