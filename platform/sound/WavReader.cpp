#include "platform/sound/WavReader.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <numbers>

namespace platform {

namespace {

constexpr std::uint16_t kFormatPcm = 1;
constexpr std::uint16_t kFormatFloat = 3;
constexpr std::uint16_t kFormatExtensible = 0xFFFE;

std::uint32_t Le(std::string_view bytes, std::size_t at, int width) {
    std::uint32_t value = 0;
    for (int i = 0; i < width; ++i) value |= std::uint32_t{static_cast<unsigned char>(bytes[at + i])} << (8 * i);
    return value;
}

// One sample of `width` bytes at `at`, as a float in [-1, 1].
float Sample(std::string_view bytes, std::size_t at, int width, bool isFloat) {
    if (isFloat) {
        const std::uint32_t bits = Le(bytes, at, 4);
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return std::isfinite(value) ? std::clamp(value, -1.0f, 1.0f) : 0.0f;
    }
    if (width == 1) return (static_cast<float>(static_cast<unsigned char>(bytes[at])) - 128.0f) / 128.0f;
    // Sign-extend from the top byte; scale by the full range of the width.
    const std::uint32_t raw = Le(bytes, at, width) << (8 * (4 - width));
    return static_cast<float>(static_cast<std::int32_t>(raw)) / 2147483648.0f;
}

struct Format {
    std::uint16_t tag = 0;
    int channels = 0;
    int rate = 0;
    int blockAlign = 0;
    int bits = 0;
};

bool ReadFormat(std::string_view chunk, Format& format) {
    if (chunk.size() < 16) return false;
    format.tag = static_cast<std::uint16_t>(Le(chunk, 0, 2));
    format.channels = static_cast<int>(Le(chunk, 2, 2));
    format.rate = static_cast<int>(Le(chunk, 4, 4));
    format.blockAlign = static_cast<int>(Le(chunk, 12, 2));
    format.bits = static_cast<int>(Le(chunk, 14, 2));
    // The extensible format names the real one in the first two bytes of its sub-format.
    if (format.tag == kFormatExtensible && chunk.size() >= 26)
        format.tag = static_cast<std::uint16_t>(Le(chunk, 24, 2));
    const bool pcmWidth = format.bits == 8 || format.bits == 16 || format.bits == 24 || format.bits == 32;
    const bool pcm = format.tag == kFormatPcm && pcmWidth;
    const bool flt = format.tag == kFormatFloat && format.bits == 32;
    return (pcm || flt) && format.channels > 0 && format.rate > 0 &&
           format.blockAlign == format.channels * (format.bits / 8);
}

// The windowed-sinc kernel, tabulated over one side: kSteps entries per zero crossing.
constexpr int kZeroCrossings = 8;
constexpr int kSteps = 256;

const std::array<float, kZeroCrossings * kSteps + 2>& Kernel() {
    static const auto table = [] {
        std::array<float, kZeroCrossings * kSteps + 2> k{};
        for (std::size_t i = 0; i < k.size(); ++i) {
            const double x = static_cast<double>(i) / kSteps;
            if (x >= kZeroCrossings) continue;
            const double sinc = x == 0 ? 1.0 : std::sin(std::numbers::pi * x) / (std::numbers::pi * x);
            const double hann = 0.5 + 0.5 * std::cos(std::numbers::pi * x / kZeroCrossings);
            k[i] = static_cast<float>(sinc * hann);
        }
        return k;
    }();
    return table;
}

float KernelAt(double x) {
    const double at = std::abs(x) * kSteps;
    const auto index = static_cast<std::size_t>(at);
    if (index >= static_cast<std::size_t>(kZeroCrossings * kSteps)) return 0.0f;
    const auto& k = Kernel();
    const float fraction = static_cast<float>(at - static_cast<double>(index));
    return k[index] + (k[index + 1] - k[index]) * fraction;
}

}  // namespace

bool ParseWav(std::string_view bytes, WavSamples& out) {
    if (bytes.size() < 12 || bytes.substr(0, 4) != "RIFF" || bytes.substr(8, 4) != "WAVE") return false;
    Format format;
    bool haveFormat = false;
    std::string_view data;
    bool haveData = false;
    for (std::size_t at = 12; at + 8 <= bytes.size();) {
        const std::string_view id = bytes.substr(at, 4);
        const std::size_t size = Le(bytes, at + 4, 4);
        const std::string_view chunk = bytes.substr(at + 8, std::min(size, bytes.size() - at - 8));
        if (id == "fmt ") haveFormat = ReadFormat(chunk, format);
        if (id == "data") {
            data = chunk;  // a cut-short last chunk still plays what it holds
            haveData = true;
        }
        at += 8 + size + (size & 1);  // chunks are padded to an even length
    }
    if (!haveFormat || !haveData) return false;

    const int width = format.bits / 8;
    const std::size_t frames = data.size() / static_cast<std::size_t>(format.blockAlign);
    out.rate = format.rate;
    out.mono.assign(frames, 0.0f);
    for (std::size_t f = 0; f < frames; ++f) {
        float sum = 0.0f;
        for (int c = 0; c < format.channels; ++c)
            sum += Sample(data, f * static_cast<std::size_t>(format.blockAlign) + static_cast<std::size_t>(c * width),
                          width, format.tag == kFormatFloat);
        out.mono[f] = sum / static_cast<float>(format.channels);
    }
    return true;
}

std::vector<float> Resample(const std::vector<float>& samples, int fromRate, int toRate) {
    if (fromRate == toRate || samples.empty()) return samples;
    const double step = static_cast<double>(fromRate) / toRate;  // input samples per output sample
    // Going down, the filter narrows to the lower rate's band (and widens in time).
    const double scale = std::min(1.0, static_cast<double>(toRate) / fromRate);
    const double reach = kZeroCrossings / scale;
    const auto count = static_cast<std::size_t>(std::llround(static_cast<double>(samples.size()) / step));
    const auto last = static_cast<std::ptrdiff_t>(samples.size()) - 1;
    std::vector<float> out(count);
    for (std::size_t j = 0; j < count; ++j) {
        const double t = static_cast<double>(j) * step;
        const auto first = std::max<std::ptrdiff_t>(0, static_cast<std::ptrdiff_t>(std::ceil(t - reach)));
        const auto end = std::min<std::ptrdiff_t>(last, static_cast<std::ptrdiff_t>(std::floor(t + reach)));
        float sum = 0.0f;
        for (std::ptrdiff_t i = first; i <= end; ++i)
            sum += samples[static_cast<std::size_t>(i)] * KernelAt((t - static_cast<double>(i)) * scale);
        out[j] = std::clamp(sum * static_cast<float>(scale), -1.0f, 1.0f);
    }
    return out;
}

std::unique_ptr<MixerSound> ReadWavFile(const std::string& path, int rate) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return nullptr;
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    WavSamples wav;
    if (!ParseWav(bytes, wav)) return nullptr;
    auto sound = std::make_unique<MixerSound>();
    sound->samples = Resample(wav.mono, wav.rate, rate);
    return sound;
}

}  // namespace platform
