// The sound devices' handles and their lifetime, on SDL's dummy audio driver.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <thread>
#include <vector>

#include "TestWav.h"
#include "platform/sound/MixerProbe.h"
#include "platform/sound/SoundDevice.h"

namespace {

using platform::SoundDeviceId;

std::int64_t SteadyNowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

class SoundDeviceTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        tone_ = soundtest::TempPath("tone.wav");
        std::vector<std::int16_t> samples(4800);
        for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<std::int16_t>(i % 64 * 100);
        soundtest::WritePcm16Wav(tone_, samples, 1, 48000);
    }
    static void TearDownTestSuite() { std::filesystem::remove(tone_); }

    static inline std::filesystem::path tone_;
};

TEST_F(SoundDeviceTest, DevicesPlayUntilClosedAndABadFileGivesNone) {
    EXPECT_EQ(platform::OpenSoundDevice("/no/such/folder/bell7.wav"), 0u);
    const auto text = soundtest::TempPath("not-a-wav.wav");
    std::ofstream(text) << "this is not a sound\n";
    EXPECT_EQ(platform::OpenSoundDevice(text.string()), 0u);
    std::filesystem::remove(text);
    EXPECT_FALSE(platform::PlaySound(0));

    // Thirty-two at once, each with an identifier of its own.
    std::vector<SoundDeviceId> ids;
    for (int i = 0; i < 32; ++i) ids.push_back(platform::OpenSoundDevice(tone_.string()));
    EXPECT_EQ(std::set<SoundDeviceId>(ids.begin(), ids.end()).size(), 32u);
    EXPECT_EQ(std::count(ids.begin(), ids.end(), 0u), 0);
    EXPECT_EQ(platform::OpenSoundDevice(tone_.string()), 0u);
    // A strike reaches the audio callback, which stamps when it restarted the sound.
    const std::int64_t struckAt = SteadyNowNs();
    EXPECT_EQ(platform::LastRestartRenderNs(ids[5]), 0);
    EXPECT_TRUE(platform::SeekSoundToStart(ids[5]));
    EXPECT_TRUE(platform::PlaySound(ids[5]));
    for (int ms = 0; ms < 2000 && platform::LastRestartRenderNs(ids[5]) < struckAt; ++ms)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_GE(platform::LastRestartRenderNs(ids[5]), struckAt);

    // A closed device plays no more; the next one may take its voice but
    // never its identifier.
    const SoundDeviceId closed = ids[5];
    platform::CloseSoundDevice(closed);
    platform::CloseSoundDevice(closed);  // twice does no harm
    EXPECT_FALSE(platform::SeekSoundToStart(closed));
    EXPECT_EQ(platform::LastRestartRenderNs(closed), 0);
    ids[5] = platform::OpenSoundDevice(tone_.string());
    EXPECT_NE(ids[5], 0u);
    EXPECT_NE(ids[5], closed);
    EXPECT_FALSE(platform::PlaySound(closed));
    for (SoundDeviceId id : ids) platform::CloseSoundDevice(id);
}

// Closing a device while the callback plays it must not free the sound under
// the callback's feet (the sanitizer build watches for that).
TEST_F(SoundDeviceTest, CloseWhilePlaying) {
    for (int round = 0; round < 100; ++round) {
        const SoundDeviceId id = platform::OpenSoundDevice(tone_.string());
        ASSERT_NE(id, 0u);
        ASSERT_TRUE(platform::SeekSoundToStart(id));
        ASSERT_TRUE(platform::PlaySound(id));
        std::this_thread::sleep_for(std::chrono::microseconds(round * 37 % 3000));
        platform::CloseSoundDevice(id);
    }
}

}  // namespace
