// A machine without a sound card: on Linux SDL finds its ALSA driver but no
// device to open; under Wine the test prefix has its audio turned off. The
// sound devices still open and take strikes, silently and without a word on
// the terminal (ALSA itself would complain there).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "TestWav.h"
#include "platform/sound/MixerProbe.h"
#include "platform/sound/SoundDevice.h"

namespace {

TEST(SilentOutputTest, DevicesWorkWithoutAudioOutput) {
#ifndef _WIN32
    setenv("SDL_AUDIODRIVER", "alsa", 1);
    setenv("AUDIODEV", "hw:CARD=NoSuchTolmerCard", 1);
#endif
    const auto file = soundtest::TempPath("silent.wav");
    soundtest::WritePcm16Wav(file, std::vector<std::int16_t>(4410, 1000), 1, 44100);

    testing::internal::CaptureStderr();  // a test's failures go to stdout
    const platform::SoundDeviceId id = platform::OpenSoundDevice(file.string());
    EXPECT_NE(id, 0u);
    EXPECT_TRUE(platform::SeekSoundToStart(id));
    EXPECT_TRUE(platform::PlaySound(id));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    std::filesystem::remove(file);
    EXPECT_FALSE(platform::CurrentAudioOutput().open);
    EXPECT_EQ(platform::LastRestartRenderNs(id), 0) << "nothing renders without an output";
    platform::CloseSoundDevice(id);
}

}  // namespace
