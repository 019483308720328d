#pragma once
// WAV files read without any sound library: RIFF/WAVE holding PCM samples of
// 8, 16, 24 or 32 bits or 32-bit floats (plain or extensible format), any
// number of channels. The Windows backend decodes its bell sounds with it;
// the SDL backend has SDL's own reader.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sound/Mixer.h"

namespace platform {

struct WavSamples {
    int rate = 0;
    std::vector<float> mono;  // the channels averaged, in [-1, 1]
};

// Parses a whole file's bytes; false when they are not a WAV file it can read.
bool ParseWav(std::string_view bytes, WavSamples& out);

// Converts to another rate with a windowed-sinc filter that keeps the band
// both rates can carry; the length scales with the rates.
std::vector<float> Resample(const std::vector<float>& samples, int fromRate, int toRate);

// The file in the mixer's format (mono float at `rate`); null when it is
// missing or is not a WAV file ParseWav reads.
std::unique_ptr<MixerSound> ReadWavFile(const std::string& path, int rate);

}  // namespace platform
