#include "TestWav.h"

#include <unistd.h>

#include <fstream>
#include <stdexcept>

namespace soundtest {

namespace {

void PutLe(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>(value >> (8 * i) & 0xFF));
}

}  // namespace

void WritePcm16Wav(const std::filesystem::path& path, const std::vector<std::int16_t>& interleaved, int channels,
                   int sampleRate) {
    const auto dataBytes = static_cast<std::uint32_t>(interleaved.size() * 2);
    const auto blockAlign = static_cast<std::uint32_t>(channels * 2);
    std::string file = "RIFF";
    PutLe(file, 36 + dataBytes, 4);
    file += "WAVEfmt ";
    PutLe(file, 16, 4);
    PutLe(file, 1, 2);
    PutLe(file, static_cast<std::uint32_t>(channels), 2);
    PutLe(file, static_cast<std::uint32_t>(sampleRate), 4);
    PutLe(file, static_cast<std::uint32_t>(sampleRate) * blockAlign, 4);
    PutLe(file, blockAlign, 2);
    PutLe(file, 16, 2);
    file += "data";
    PutLe(file, dataBytes, 4);
    for (std::int16_t s : interleaved) PutLe(file, static_cast<std::uint16_t>(s), 2);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(file.data(), static_cast<std::streamsize>(file.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::filesystem::path TempPath(const std::string& name) {
    return std::filesystem::temp_directory_path() / ("tolmer-" + std::to_string(getpid()) + "-" + name);
}

}  // namespace soundtest
