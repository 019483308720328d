#include "TestWav.h"

#include <unistd.h>

#include <fstream>

namespace soundtest {

std::string LittleEndian(const std::vector<std::int32_t>& values, int bytes) {
    std::string out;
    for (const std::int32_t value : values)
        for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>(static_cast<std::uint32_t>(value) >> (8 * i)));
    return out;
}

std::string WavBytes(int tag, int channels, int rate, int bits, const std::string& data, bool extensible,
                     const std::string& before) {
    std::string fmt = LittleEndian({extensible ? 0xFFFE : tag, channels}, 2) +
                      LittleEndian({rate, rate * channels * bits / 8}, 4) +
                      LittleEndian({channels * bits / 8, bits}, 2);
    if (extensible) {  // the sub-format GUID starts with the tag
        fmt += LittleEndian({22, bits}, 2) + LittleEndian({0}, 4) + LittleEndian({tag}, 2) +
               std::string("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 14);
    }
    const auto size = [](const std::string& chunk) {
        return LittleEndian({static_cast<std::int32_t>(chunk.size())}, 4);
    };
    const std::string body = "WAVEfmt " + size(fmt) + fmt + before + "data" + size(data) + data;
    return "RIFF" + size(body) + body;
}

void WritePcm16Wav(const std::filesystem::path& path, const std::vector<std::int16_t>& interleaved, int channels,
                   int sampleRate) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        << WavBytes(1, channels, sampleRate, 16, LittleEndian({interleaved.begin(), interleaved.end()}, 2));
}

std::filesystem::path TempPath(const std::string& name) {
    return std::filesystem::temp_directory_path() / ("tolmer-" + std::to_string(getpid()) + "-" + name);
}

}  // namespace soundtest
