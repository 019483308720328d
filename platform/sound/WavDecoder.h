#pragma once
#include <memory>
#include <string>

#include "platform/sound/Mixer.h"

namespace platform {

// Reads a WAV file and converts it to the mixer's format (mono float at the
// given rate). Null when the file is missing or is not a readable WAV file.
std::unique_ptr<MixerSound> DecodeWavFile(const std::string& path, int rate);

}  // namespace platform
