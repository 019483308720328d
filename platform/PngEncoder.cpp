#include "platform/PngEncoder.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace platform {

namespace {

std::uint32_t Crc32(std::string_view bytes, std::uint32_t crc = 0) {
    static const auto table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    crc = ~crc;
    for (unsigned char b : bytes) crc = table[(crc ^ b) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

std::uint32_t Adler32(const std::vector<std::uint8_t>& bytes) {
    std::uint32_t a = 1, b = 0;
    for (std::uint8_t byte : bytes) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    return (b << 16) | a;
}

void PutU32(std::string& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((value >> shift) & 0xFF);
}

// Deflate's bit order: values least significant bit first, Huffman codes
// most significant bit first.
class BitWriter {
public:
    void Bits(std::uint32_t value, int count) {
        pending_ |= static_cast<std::uint64_t>(value) << used_;
        used_ += count;
        for (; used_ >= 8; used_ -= 8, pending_ >>= 8) out_ += static_cast<char>(pending_ & 0xFF);
    }
    void Code(std::uint32_t code, int length) {
        std::uint32_t reversed = 0;
        for (int i = 0; i < length; ++i) reversed |= ((code >> i) & 1) << (length - 1 - i);
        Bits(reversed, length);
    }
    std::string Finish() {
        if (used_ > 0) out_ += static_cast<char>(pending_ & 0xFF);
        return std::move(out_);
    }

private:
    std::string out_;
    std::uint64_t pending_ = 0;
    int used_ = 0;
};

// The fixed literal/length code (RFC 1951, 3.2.6).
void Symbol(BitWriter& bits, int symbol) {
    if (symbol < 144) bits.Code(0x30 + symbol, 8);
    else if (symbol < 256) bits.Code(0x190 + symbol - 144, 9);
    else if (symbol < 280) bits.Code(symbol - 256, 7);
    else bits.Code(0xC0 + symbol - 280, 8);
}

constexpr std::array<int, 29> kLengthBase = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                             31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<int, 29> kLengthExtra = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                              2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::array<int, 30> kDistanceBase = {1,    2,    3,    4,    5,    7,    9,    13,    17,    25,
                                               33,   49,   65,   97,   129,  193,  257,  385,   513,   769,
                                               1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};

void BackReference(BitWriter& bits, int length, int distance) {
    int l = 28;
    while (kLengthBase[l] > length) --l;
    Symbol(bits, 257 + l);
    bits.Bits(static_cast<std::uint32_t>(length - kLengthBase[l]), kLengthExtra[l]);
    int d = 29;
    while (kDistanceBase[d] > distance) --d;
    bits.Code(static_cast<std::uint32_t>(d), 5);
    bits.Bits(static_cast<std::uint32_t>(distance - kDistanceBase[d]), d < 4 ? 0 : d / 2 - 1);
}

// One fixed-code block; each position looks for the longest earlier match
// among the last few with the same three bytes.
std::string Deflate(const std::vector<std::uint8_t>& data) {
    constexpr int kWindow = 32768, kMaxMatch = 258, kMaxTries = 16;
    const int size = static_cast<int>(data.size());
    std::vector<int> head(1 << 15, -1), previous(kWindow, -1);
    auto hash = [&](int at) { return ((data[at] << 10) ^ (data[at + 1] << 5) ^ data[at + 2]) & 0x7FFF; };
    auto insert = [&](int at) {
        if (at + 2 >= size) return;
        const int h = hash(at);
        previous[at % kWindow] = head[h];
        head[h] = at;
    };

    BitWriter bits;
    bits.Bits(1, 1);  // the last block
    bits.Bits(1, 2);  // fixed codes
    for (int at = 0; at < size;) {
        int bestLength = 0, bestDistance = 0;
        if (at + 2 < size) {
            const int longest = std::min(kMaxMatch, size - at);
            int candidate = head[hash(at)];
            for (int tries = 0; candidate >= 0 && at - candidate <= kWindow && tries < kMaxTries; ++tries) {
                int length = 0;
                while (length < longest && data[candidate + length] == data[at + length]) ++length;
                if (length > bestLength) {
                    bestLength = length;
                    bestDistance = at - candidate;
                    if (length == longest) break;
                }
                const int older = previous[candidate % kWindow];
                if (older >= candidate) break;  // its slot was reused by a newer position
                candidate = older;
            }
        }
        if (bestLength >= 3) {
            BackReference(bits, bestLength, bestDistance);
            for (int i = 0; i < bestLength; ++i) insert(at + i);
            at += bestLength;
        } else {
            Symbol(bits, data[at]);
            insert(at++);
        }
    }
    Symbol(bits, 256);  // end of block
    return bits.Finish();
}

void Chunk(std::string& png, const char* type, std::string_view data) {
    PutU32(png, static_cast<std::uint32_t>(data.size()));
    const std::string typed = std::string(type, 4) + std::string(data);
    png += typed;
    PutU32(png, Crc32(typed));
}

}  // namespace

std::string EncodePng(const RgbaImage& image) {
    const std::size_t stride = static_cast<std::size_t>(image.width) * 4;
    if (image.width <= 0 || image.height <= 0 || image.pixels.size() != stride * image.height) return {};
    // Each row as its difference from the row above (filter 2, "up").
    std::vector<std::uint8_t> filtered;
    filtered.reserve((stride + 1) * image.height);
    for (int y = 0; y < image.height; ++y) {
        filtered.push_back(2);
        const std::uint8_t* row = image.pixels.data() + y * stride;
        for (std::size_t i = 0; i < stride; ++i)
            filtered.push_back(static_cast<std::uint8_t>(row[i] - (y > 0 ? row[i - stride] : 0)));
    }

    std::string header;
    PutU32(header, static_cast<std::uint32_t>(image.width));
    PutU32(header, static_cast<std::uint32_t>(image.height));
    header += std::string("\x08\x06\x00\x00\x00", 5);  // 8 bits, RGBA, deflate, adaptive filters, no interlace
    std::string zlib = "\x78\x01";                     // deflate, 32 KB window, no dictionary
    zlib += Deflate(filtered);
    PutU32(zlib, Adler32(filtered));

    std::string png = "\x89PNG\r\n\x1a\n";
    Chunk(png, "IHDR", header);
    Chunk(png, "IDAT", zlib);
    Chunk(png, "IEND", "");
    return png;
}

}  // namespace platform
