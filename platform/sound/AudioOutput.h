#pragma once
// The system's audio output, one per backend: it runs the mixer from its own
// audio thread or callback from the moment it opens until it is destroyed.
#include <memory>

#include "platform/sound/Mixer.h"
#include "platform/sound/MixerProbe.h"

namespace platform {

class AudioOutput {
public:
    virtual ~AudioOutput() = default;  // returns once the mixer is no longer run
    virtual AudioOutputInfo Info() const = 0;
};

// Opens the default output and starts rendering `mixer` into it; null when
// there is none to open (the sound devices then play silently). No messages.
std::unique_ptr<AudioOutput> OpenAudioOutput(Mixer& mixer);

}  // namespace platform
