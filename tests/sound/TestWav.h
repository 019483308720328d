// WAV files for the sound tests, written independently of the code under test.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace soundtest {

// Writes 16-bit PCM with interleaved channels; throws when it cannot.
void WritePcm16Wav(const std::filesystem::path& path, const std::vector<std::int16_t>& interleaved, int channels,
                   int sampleRate);

// A file name unique to this process under the system's temporary folder.
std::filesystem::path TempPath(const std::string& name);

}  // namespace soundtest
