#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace bellsounds {

// Writes a mono 16-bit PCM WAV file. False when the file cannot be written.
bool WriteMonoWav(const std::string& path, const std::vector<std::int16_t>& samples, int sampleRate);

}  // namespace bellsounds
