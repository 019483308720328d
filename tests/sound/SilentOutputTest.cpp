// A machine without a sound card: SDL finds its ALSA driver but no device to
// open. The sound devices still open and take strikes, silently and without
// a word on the terminal (ALSA itself would complain there).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

#include "TestWav.h"
#include "platform/sound/MixerProbe.h"
#include "platform/sound/SoundDevice.h"

namespace {

TEST(SilentOutputTest, DevicesWorkWithoutAudioOutput) {
    setenv("SDL_AUDIODRIVER", "alsa", 1);
    setenv("AUDIODEV", "hw:CARD=NoSuchTolmerCard", 1);
    const auto file = soundtest::TempPath("silent.wav");
    soundtest::WritePcm16Wav(file, std::vector<std::int16_t>(4410, 1000), 1, 44100);

    testing::internal::CaptureStderr();
    const platform::SoundDeviceId id = platform::OpenSoundDevice(file.string());
    const bool seeked = platform::SeekSoundToStart(id);
    const bool played = platform::PlaySound(id);
    const std::string printed = testing::internal::GetCapturedStderr();
    std::filesystem::remove(file);

    EXPECT_FALSE(platform::CurrentAudioOutput().open);
    EXPECT_NE(id, 0u);
    EXPECT_TRUE(seeked);
    EXPECT_TRUE(played);
    EXPECT_EQ(printed, "");
    EXPECT_EQ(platform::LastRestartRenderNs(id), 0) << "nothing renders without an output";
    platform::CloseSoundDevice(id);
}

}  // namespace
