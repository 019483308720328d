// A FIFO of bytes for a socket's unread input or unsent output: appended at
// the back, consumed from the front, compacted lazily so that steady traffic
// of small messages neither allocates nor moves memory on every call.
#pragma once

#include <cstddef>
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

}  // namespace load
