#include "server/OutputQueue.h"

namespace server {

bool OutputQueue::Append(std::string_view bytes, std::size_t cap) {
    if (Size() + bytes.size() > cap) return false;
    // Drop the sent front once it is the larger part, so appends stay amortised O(1).
    if (sent_ > 0 && sent_ >= bytes_.size() / 2) {
        bytes_.erase(0, sent_);
        sent_ = 0;
    }
    bytes_.append(bytes);
    return true;
}

void OutputQueue::Consume(std::size_t n) {
    sent_ += n;
    if (sent_ < bytes_.size()) return;
    if (bytes_.capacity() > kKeptCapacity) std::string().swap(bytes_);
    else bytes_.clear();
    sent_ = 0;
}

}  // namespace server
