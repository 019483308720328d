#include "platform/sound/WavDecoder.h"

#include <SDL.h>

#include <cstring>
#include <vector>

namespace platform {

namespace {

struct WavBufferFree {
    void operator()(Uint8* buffer) const { SDL_FreeWAV(buffer); }
};

}  // namespace

// SDL_AudioCVT rather than SDL_AudioStream: the stream drops the resampler's
// last few hundred frames, the tail of every bell.
std::unique_ptr<MixerSound> DecodeWavFile(const std::string& path, int rate) {
    SDL_AudioSpec fileFormat;
    Uint8* data = nullptr;
    Uint32 length = 0;
    if (SDL_LoadWAV(path.c_str(), &fileFormat, &data, &length) == nullptr) return nullptr;
    const std::unique_ptr<Uint8, WavBufferFree> wav(data);

    SDL_AudioCVT cvt;
    if (SDL_BuildAudioCVT(&cvt, fileFormat.format, fileFormat.channels, fileFormat.freq, AUDIO_F32SYS, 1, rate) < 0) {
        return nullptr;
    }
    // The conversion works in place and takes whole frames only.
    const Uint32 frameBytes = SDL_AUDIO_BITSIZE(fileFormat.format) / 8 * fileFormat.channels;
    cvt.len = static_cast<int>(length - length % frameBytes);
    if (cvt.len == 0) return std::make_unique<MixerSound>();  // a valid file of silence
    std::vector<Uint8> buffer(static_cast<std::size_t>(cvt.len) * static_cast<std::size_t>(cvt.len_mult));
    std::memcpy(buffer.data(), wav.get(), static_cast<std::size_t>(cvt.len));
    cvt.buf = buffer.data();
    if (SDL_ConvertAudio(&cvt) != 0) return nullptr;

    auto sound = std::make_unique<MixerSound>();
    sound->samples.resize(static_cast<std::size_t>(cvt.len_cvt) / sizeof(float));
    std::memcpy(sound->samples.data(), buffer.data(), sound->samples.size() * sizeof(float));
    return sound;
}

}  // namespace platform
