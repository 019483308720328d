// The audio output through SDL: its callback runs the mixer.
#include <SDL.h>

#include "platform/sound/AudioOutput.h"
#include "platform/sound/sdl/AlsaMessages.h"

namespace platform {

namespace {

constexpr int kOutputRate = 48000;
// 5 ms; a multiple of 48 frames, which SDL's timer-driven drivers need to keep time.
constexpr int kPeriodFrames = 240;

void RenderAudio(void* mixer, Uint8* stream, int bytes) {
    static_cast<Mixer*>(mixer)->Mix(reinterpret_cast<float*>(stream), bytes / static_cast<int>(sizeof(float)));
}

class SdlOutput : public AudioOutput {
public:
    ~SdlOutput() override {
        if (device_ != 0) SDL_CloseAudioDevice(device_);  // waits for the callback to end
        if (subsystemStarted_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
        ReleaseAlsa(alsa_);
    }

    bool Open(Mixer& mixer) {
        alsa_ = SilenceAlsaMessages();
        // Ctrl-C and SIGTERM belong to the program, not to SDL's event queue.
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
        subsystemStarted_ = true;
        SDL_AudioSpec wanted{};
        wanted.freq = kOutputRate;
        wanted.format = AUDIO_F32SYS;
        wanted.channels = 1;
        wanted.samples = kPeriodFrames;
        wanted.callback = RenderAudio;
        wanted.userdata = &mixer;
        SDL_AudioSpec obtained{};
        // No changes allowed: SDL converts to whatever the hardware wants.
        device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
        if (device_ == 0) return false;
        const char* driver = SDL_GetCurrentAudioDriver();
        info_ = {true, driver != nullptr ? driver : "", obtained.freq, obtained.samples};
        SDL_PauseAudioDevice(device_, 0);
        return true;
    }

    AudioOutputInfo Info() const override { return info_; }

private:
    SDL_AudioDeviceID device_ = 0;
    bool subsystemStarted_ = false;
    void* alsa_ = nullptr;
    AudioOutputInfo info_;
};

}  // namespace

std::unique_ptr<AudioOutput> OpenAudioOutput(Mixer& mixer) {
    auto output = std::make_unique<SdlOutput>();
    if (!output->Open(mixer)) return nullptr;
    return output;
}

}  // namespace platform
