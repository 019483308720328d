// The WASAPI output under Wine, with ALSA's null device standing in for a
// sound card (the test's HOME holds an .asoundrc that makes it the default):
// the shared-mode stream opens, event driven, and its audio thread renders a
// strike through the mixer.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/EventLoop.h"
#include "platform/sound/MixerProbe.h"
#include "platform/sound/SoundDevice.h"
#include "platform/win32/WinApi.h"
#include "tests/sound/TestWav.h"

namespace {

// Wine's audio driver for this process; the test prefix's own setting, audio
// off, comes back when the test ends.
struct WineAudioDriver {
    explicit WineAudioDriver(const wchar_t* driver) { Set(driver); }
    ~WineAudioDriver() { Set(L""); }
    static void Set(const wchar_t* driver) {
        RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Wine\\Drivers", L"Audio", REG_SZ, driver,
                        static_cast<DWORD>((wcslen(driver) + 1) * sizeof(wchar_t)));
    }
};

TEST(Wasapi, TheSharedStreamRendersAStrike) {
    WineAudioDriver alsa(L"alsa");
    const auto file = soundtest::TempPath("wasapi.wav");
    soundtest::WritePcm16Wav(file, std::vector<std::int16_t>(44100, 8000), 1, 44100);
    const platform::SoundDeviceId id = platform::OpenSoundDevice(file.string());
    std::filesystem::remove(file);
    ASSERT_NE(id, 0u);

    const platform::AudioOutputInfo output = platform::CurrentAudioOutput();
    ASSERT_TRUE(output.open) << "no WASAPI stream on ALSA's null device";
    EXPECT_EQ(output.driver, "wasapi");
    EXPECT_GT(output.periodFrames, 0);
    ASSERT_TRUE(platform::SeekSoundToStart(id));
    ASSERT_TRUE(platform::PlaySound(id));
    EXPECT_TRUE(platform::PumpUntil([&] { return platform::LastRestartRenderNs(id) != 0; }, 2000))
        << "the audio thread did not render the strike";
}

}  // namespace
