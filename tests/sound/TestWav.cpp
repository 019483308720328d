#include "TestWav.h"

#include <unistd.h>

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

namespace soundtest {

namespace {

void PutLe(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>(value >> (8 * i) & 0xFF));
}

std::uint32_t GetLe(const std::string& in, std::size_t at, int bytes) {
    std::uint32_t value = 0;
    for (int i = 0; i < bytes; ++i) value |= std::uint32_t{static_cast<unsigned char>(in[at + i])} << (8 * i);
    return value;
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

std::optional<WavContents> ReadWav(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    const std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (file.size() < 12 || file.compare(0, 4, "RIFF") != 0 || file.compare(8, 4, "WAVE") != 0 ||
        GetLe(file, 4, 4) != file.size() - 8) {
        return std::nullopt;
    }
    WavContents wav;
    bool haveFormat = false;
    bool haveData = false;
    for (std::size_t at = 12; at + 8 <= file.size();) {
        const std::string id = file.substr(at, 4);
        const std::size_t size = GetLe(file, at + 4, 4);
        const std::size_t body = at + 8;
        if (body + size > file.size()) return std::nullopt;
        if (id == "fmt " && size >= 16) {
            wav.format = static_cast<int>(GetLe(file, body, 2));
            wav.channels = static_cast<int>(GetLe(file, body + 2, 2));
            wav.sampleRate = static_cast<int>(GetLe(file, body + 4, 4));
            wav.byteRate = static_cast<int>(GetLe(file, body + 8, 4));
            wav.blockAlign = static_cast<int>(GetLe(file, body + 12, 2));
            wav.bitsPerSample = static_cast<int>(GetLe(file, body + 14, 2));
            haveFormat = true;
        } else if (id == "data" && haveFormat) {
            if (wav.format == 1 && wav.bitsPerSample == 16) {
                for (std::size_t i = 0; i + 1 < size; i += 2) {
                    wav.samples.push_back(static_cast<std::int16_t>(GetLe(file, body + i, 2)));
                }
            }
            haveData = true;
        }
        at = body + size + size % 2;  // chunks are padded to even length
    }
    if (!haveFormat || !haveData) return std::nullopt;
    return wav;
}

std::filesystem::path TempPath(const std::string& name) {
    return std::filesystem::temp_directory_path() / ("tolmer-" + std::to_string(getpid()) + "-" + name);
}

}  // namespace soundtest
