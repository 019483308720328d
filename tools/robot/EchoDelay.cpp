#include "tools/robot/EchoDelay.h"

#include <algorithm>

namespace robot {

void EchoDelay::Heard(int bell, Micros time) {
    Micros& sent = sentAt_[static_cast<std::size_t>(bell)];
    if (sent < 0 || time < sent) return;
    delays_[static_cast<std::size_t>(next_)] = time - sent;
    sent = -1;
    next_ = (next_ + 1) % kKept;
    count_ = std::min(count_ + 1, kKept);
    // The median of at most seven, by insertion.
    std::array<Micros, kKept> sorted{};
    for (int i = 0; i < count_; ++i) {
        int j = i;
        for (; j > 0 && sorted[static_cast<std::size_t>(j - 1)] > delays_[static_cast<std::size_t>(i)]; --j) {
            sorted[static_cast<std::size_t>(j)] = sorted[static_cast<std::size_t>(j - 1)];
        }
        sorted[static_cast<std::size_t>(j)] = delays_[static_cast<std::size_t>(i)];
    }
    estimate_ = sorted[static_cast<std::size_t>(count_ / 2)];
}

}  // namespace robot
