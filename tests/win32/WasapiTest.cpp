// The WASAPI output under Wine, with ALSA's null device standing in for a
// sound card (the test's HOME holds an .asoundrc that makes it the default):
// the shared-mode stream opens, event driven, and its audio thread renders a
// strike through the mixer.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "platform/EventLoop.h"
#include "platform/sound/MixerProbe.h"
#include "platform/sound/SoundDevice.h"
#include "platform/win32/WinApi.h"
#include "tests/sound/TestWav.h"

namespace {

// Wine's audio driver for this process: the test prefix has audio off; the
// setting is put back when the test ends.
class WineAudioDriver {
public:
    explicit WineAudioDriver(const wchar_t* driver) {
        RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\Drivers", 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr,
                        &key_, nullptr);
        DWORD size = sizeof previous_;
        hadPrevious_ = RegQueryValueExW(key_, L"Audio", nullptr, nullptr, reinterpret_cast<BYTE*>(previous_), &size) ==
                       ERROR_SUCCESS;
        Set(driver);
    }
    ~WineAudioDriver() {
        if (hadPrevious_) Set(previous_);
        else RegDeleteValueW(key_, L"Audio");
        RegCloseKey(key_);
    }

private:
    void Set(const wchar_t* value) {
        RegSetValueExW(key_, L"Audio", 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                       static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t)));
    }
    HKEY key_ = nullptr;
    wchar_t previous_[64] = {};
    bool hadPrevious_ = false;
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
    EXPECT_GT(output.rate, 0);
    EXPECT_GT(output.periodFrames, 0);
    std::printf("WASAPI under Wine: %d Hz, period %d frames\n", output.rate, output.periodFrames);

    EXPECT_EQ(platform::LastRestartRenderNs(id), 0);
    ASSERT_TRUE(platform::SeekSoundToStart(id));
    ASSERT_TRUE(platform::PlaySound(id));
    EXPECT_TRUE(platform::PumpUntil([&] { return platform::LastRestartRenderNs(id) != 0; }, 2000))
        << "the audio thread did not render the strike";
}

}  // namespace
