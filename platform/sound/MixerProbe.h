#pragma once
// Observation of the audio output for benchmarks and tests; the client does
// not use it. Reads atomics only, so it never waits for the audio thread.
#include <cstdint>
#include <string>

#include "platform/sound/SoundDevice.h"

namespace platform {

// steady_clock time in ns at which the audio callback last began rendering
// the device's sound from its start (the first render after a seek to start
// and play); 0 before the first such render, or for an unknown device.
std::int64_t LastRestartRenderNs(SoundDeviceId id);

struct AudioOutputInfo {
    bool open = false;     // false: no audio output, devices play silently
    std::string driver;    // the driver in use: SDL's name for it, or "wasapi"
    int rate = 0;          // frames per second
    int periodFrames = 0;  // frames the callback renders per call
};

// The audio output as opened by the first OpenSoundDevice.
AudioOutputInfo CurrentAudioOutput();

}  // namespace platform
