// A FIFO of bytes for a socket's unread input or unsent output: appended at
// the back, consumed from the front, compacted lazily so that steady traffic
// of small messages neither allocates nor moves memory on every call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

namespace load {

class ByteQueue {
public:
    std::size_t Size() const { return tail_ - head_; }
    bool Empty() const { return head_ == tail_; }
    const char* Data() const { return bytes_.data() + head_; }
    std::string_view View() const { return {Data(), Size()}; }

    void Append(std::string_view bytes) {
        if (bytes.empty()) return;
        std::memcpy(Reserve(bytes.size()), bytes.data(), bytes.size());
        tail_ += bytes.size();
    }

    // Room for at least n more bytes at the back; Commit says how many were written.
    char* Reserve(std::size_t n) {
        if (head_ == tail_) head_ = tail_ = 0;
        if (bytes_.size() - tail_ < n) {
            if (head_ > 0) {
                std::memmove(bytes_.data(), Data(), Size());
                tail_ -= head_;
                head_ = 0;
            }
            if (bytes_.size() - tail_ < n) bytes_.resize(tail_ + n);
        }
        return bytes_.data() + tail_;
    }
    void Commit(std::size_t n) { tail_ += n; }

    void Consume(std::size_t n) { head_ = n >= Size() ? tail_ : head_ + n; }
    void Clear() { head_ = tail_ = 0; }
    // Gives the memory back, for a connection that is done.
    void Release() {
        Clear();
        std::vector<char>().swap(bytes_);
    }

private:
    std::vector<char> bytes_;
    std::size_t head_ = 0;
    std::size_t tail_ = 0;
};

// Little-endian 16-bit words, the wire's integer encoding, read and written in place.
inline std::uint16_t ReadU16(const char* at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(at[0]) |
                                      static_cast<unsigned char>(at[1]) << 8);
}
inline void WriteU16(char* at, std::uint16_t value) {
    at[0] = static_cast<char>(value & 0xFF);
    at[1] = static_cast<char>(value >> 8);
}

}  // namespace load
