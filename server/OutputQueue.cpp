#include "server/OutputQueue.h"

#include <algorithm>

#include "net/Wire.h"

namespace server {
namespace {

// Room beside a full tower list in a connection's output.
constexpr std::size_t kListMargin = 16 * 1024;

}  // namespace

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

std::size_t OutputCap(std::size_t asked, int maxTowers, int maxRingers) {
    const std::size_t fullList = static_cast<std::size_t>(maxTowers) * wire::towerListEntry::kSize;
    const std::size_t fullEntry =
        wire::towerEntered::kSize + static_cast<std::size_t>(maxRingers) * wire::ringerInfo::kSize;
    const std::size_t needed = std::max(fullList, fullEntry) + kListMargin;
    return asked < needed ? (needed + 1023) / 1024 * 1024 : asked;
}

}  // namespace server
