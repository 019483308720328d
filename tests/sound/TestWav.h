#pragma once
// Reading and writing the WAV files the sound tests use, independent of the
// code under test.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

namespace soundtest {

// Writes 16-bit PCM with interleaved channels; throws when it cannot.
void WritePcm16Wav(const std::filesystem::path& path, const std::vector<std::int16_t>& interleaved, int channels,
                   int sampleRate);

struct WavContents {
    int format = 0;  // 1 is PCM
    int channels = 0;
    int sampleRate = 0;
    int byteRate = 0;
    int blockAlign = 0;
    int bitsPerSample = 0;
    std::vector<std::int16_t> samples;  // as stored; only filled for 16-bit PCM
};

// Reads a RIFF/WAVE file's format and data chunks; nullopt when malformed.
std::optional<WavContents> ReadWav(const std::filesystem::path& path);

// A file name unique to this process under the system's temporary folder.
std::filesystem::path TempPath(const std::string& name);

}  // namespace soundtest
