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
    Compact();
    bytes_.append(bytes);
    if (firstMark_ < marks_.size()) marks_.back().end = bytes_.size();  // they go with the last held bytes
    else released_ = bytes_.size();
    return true;
}

bool OutputQueue::Hold(std::string_view bytes, std::size_t cap, Clock::TimePoint until) {
    if (Size() + bytes.size() > cap) return false;
    Compact();
    bytes_.append(bytes);
    const auto last = HeldUntil();
    if (last && *last >= until) marks_.back().end = bytes_.size();
    else marks_.push_back({until, bytes_.size()});
    return true;
}

std::optional<Clock::TimePoint> OutputQueue::HeldUntil() const {
    if (firstMark_ == marks_.size()) return std::nullopt;
    return marks_.back().until;
}

std::optional<Clock::TimePoint> OutputQueue::NextRelease() const {
    if (firstMark_ == marks_.size()) return std::nullopt;
    return marks_[firstMark_].until;
}

bool OutputQueue::Release(Clock::TimePoint now) {
    const std::size_t before = released_;
    while (firstMark_ < marks_.size() && marks_[firstMark_].until <= now) released_ = marks_[firstMark_++].end;
    if (firstMark_ == marks_.size()) {
        marks_.clear();  // keeps its capacity for the next held bytes
        firstMark_ = 0;
    }
    return released_ != before;
}

void OutputQueue::Consume(std::size_t n) {
    sent_ += n;
    if (sent_ < bytes_.size()) return;
    if (bytes_.capacity() > kKeptCapacity) std::string().swap(bytes_);
    else bytes_.clear();
    sent_ = 0;
    released_ = 0;
}

void OutputQueue::Compact() {
    if (sent_ == 0 || sent_ < bytes_.size() / 2) return;
    bytes_.erase(0, sent_);
    released_ -= sent_;
    marks_.erase(marks_.begin(), marks_.begin() + static_cast<std::ptrdiff_t>(firstMark_));
    firstMark_ = 0;
    for (Mark& mark : marks_) mark.end -= sent_;
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
