#include "platform/sound/WavDecoder.h"

#include "platform/sound/WavReader.h"

namespace platform {

// Windows has no small WAV decoder of its own; our reader does the work.
std::unique_ptr<MixerSound> DecodeWavFile(const std::string& path, int rate) { return ReadWavFile(path, rate); }

}  // namespace platform
