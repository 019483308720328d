// WAV files for the sound tests, written independently of the code under test.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace soundtest {

// Values of `bytes` bytes each, little-endian.
std::string LittleEndian(const std::vector<std::int32_t>& values, int bytes);

// A RIFF/WAVE file: a format chunk (tag, channels, rate, bits; `extensible`
// names the tag in a sub-format instead), any chunks given, then the data.
std::string WavBytes(int tag, int channels, int rate, int bits, const std::string& data, bool extensible = false,
                     const std::string& before = "");

// Writes 16-bit PCM with interleaved channels.
void WritePcm16Wav(const std::filesystem::path& path, const std::vector<std::int16_t>& interleaved, int channels,
                   int sampleRate);

// A file name unique to this process under the system's temporary folder.
std::filesystem::path TempPath(const std::string& name);

}  // namespace soundtest
