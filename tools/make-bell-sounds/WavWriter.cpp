#include "WavWriter.h"

#include <fstream>

namespace bellsounds {

namespace {

// WAV fields are little-endian whatever the machine.
void PutLe(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>(value >> (8 * i) & 0xFF));
}

}  // namespace

bool WriteMonoWav(const std::string& path, const std::vector<std::int16_t>& samples, int sampleRate) {
    constexpr std::uint32_t kChannels = 1;
    constexpr std::uint32_t kBytesPerSample = 2;
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * kBytesPerSample);
    std::string file;
    file.reserve(44 + dataBytes);
    file += "RIFF";
    PutLe(file, 36 + dataBytes, 4);
    file += "WAVEfmt ";
    PutLe(file, 16, 4);  // size of the PCM format chunk
    PutLe(file, 1, 2);   // PCM
    PutLe(file, kChannels, 2);
    PutLe(file, static_cast<std::uint32_t>(sampleRate), 4);
    PutLe(file, static_cast<std::uint32_t>(sampleRate) * kChannels * kBytesPerSample, 4);
    PutLe(file, kChannels * kBytesPerSample, 2);
    PutLe(file, 8 * kBytesPerSample, 2);
    file += "data";
    PutLe(file, dataBytes, 4);
    for (std::int16_t s : samples) PutLe(file, static_cast<std::uint16_t>(s), 2);

    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(file.data(), static_cast<std::streamsize>(file.size()));
    out.close();
    return static_cast<bool>(out);
}

}  // namespace bellsounds
