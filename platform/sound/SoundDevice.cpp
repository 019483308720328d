// The process's sound devices: a table of decoded sounds on the mixer's
// voices, and the backend's audio output that runs the mixer. The output
// opens with the first device and closes at exit. The table belongs to the
// one thread that calls the device functions, so nothing here is locked.
#include "platform/sound/SoundDevice.h"

#include <algorithm>
#include <array>
#include <memory>
#include <utility>
#include <vector>

#include "platform/sound/AudioOutput.h"
#include "platform/sound/Mixer.h"
#include "platform/sound/MixerProbe.h"
#include "platform/sound/WavDecoder.h"

namespace platform {

namespace {

// The rate sounds are decoded at when there is no output to ask.
constexpr int kSilentRate = 48000;
constexpr int kSlotBits = 5;
static_assert(Mixer::kVoiceCount == 1 << kSlotBits);
constexpr std::uint32_t kSerialLimit = 1u << (32 - kSlotBits);

class SoundSystem {
public:
    static SoundSystem& Instance() {
        static SoundSystem system;
        return system;
    }

    SoundDeviceId Open(const std::string& wavFile) {
        StartOutput();
        FreeReleasedSounds();
        const auto freeSlot = std::find(ids_.begin(), ids_.end(), SoundDeviceId{0});
        if (freeSlot == ids_.end()) return 0;
        std::unique_ptr<MixerSound> sound = DecodeWavFile(wavFile, output_ ? output_->Info().rate : kSilentRate);
        if (!sound) return 0;

        const int slot = static_cast<int>(freeSlot - ids_.begin());
        serial_ = serial_ + 1 == kSerialLimit ? 1 : serial_ + 1;
        const SoundDeviceId id = (serial_ << kSlotBits) | static_cast<std::uint32_t>(slot);
        mixer_.Attach(slot, sound.get());
        sounds_[slot] = std::move(sound);
        ids_[slot] = id;
        return id;
    }

    bool Seek(SoundDeviceId id) {
        const int slot = SlotOf(id);
        if (slot < 0) return false;
        mixer_.Seek(slot);
        return true;
    }

    bool Play(SoundDeviceId id) {
        const int slot = SlotOf(id);
        if (slot < 0) return false;
        mixer_.Play(slot);
        return true;
    }

    void Close(SoundDeviceId id) {
        const int slot = SlotOf(id);
        if (slot < 0) return;
        // The audio thread may still be reading the sound, so it is freed later.
        retired_.emplace_back(std::move(sounds_[slot]), mixer_.Detach(slot));
        ids_[slot] = 0;
        FreeReleasedSounds();
    }

    std::int64_t RestartRenderNs(SoundDeviceId id) const {
        const int slot = SlotOf(id);
        return slot < 0 ? 0 : mixer_.RestartRenderNs(slot);
    }

    AudioOutputInfo Output() const { return output_ ? output_->Info() : AudioOutputInfo{}; }

private:
    SoundSystem() = default;

    // Opens the output once. Without one the devices still work, silently,
    // and nobody is told.
    void StartOutput() {
        if (outputTried_) return;
        outputTried_ = true;
        output_ = OpenAudioOutput(mixer_);
    }

    int SlotOf(SoundDeviceId id) const {
        const int slot = static_cast<int>(id & (Mixer::kVoiceCount - 1));
        return id != 0 && ids_[slot] == id ? slot : -1;
    }

    void FreeReleasedSounds() {
        std::erase_if(retired_, [this](const auto& entry) { return mixer_.Released(entry.second); });
    }

    Mixer mixer_;
    std::array<std::unique_ptr<MixerSound>, Mixer::kVoiceCount> sounds_;
    std::array<SoundDeviceId, Mixer::kVoiceCount> ids_{};
    std::vector<std::pair<std::unique_ptr<MixerSound>, std::uint64_t>> retired_;
    std::uint32_t serial_ = 0;
    bool outputTried_ = false;
    // Declared after the mixer and the sounds: it stops rendering before they go.
    std::unique_ptr<AudioOutput> output_;
};

}  // namespace

SoundDeviceId OpenSoundDevice(const std::string& wavFile) { return SoundSystem::Instance().Open(wavFile); }

bool SeekSoundToStart(SoundDeviceId id) { return SoundSystem::Instance().Seek(id); }

bool PlaySound(SoundDeviceId id) { return SoundSystem::Instance().Play(id); }

void CloseSoundDevice(SoundDeviceId id) { SoundSystem::Instance().Close(id); }

std::int64_t LastRestartRenderNs(SoundDeviceId id) { return SoundSystem::Instance().RestartRenderNs(id); }

AudioOutputInfo CurrentAudioOutput() { return SoundSystem::Instance().Output(); }

}  // namespace platform
