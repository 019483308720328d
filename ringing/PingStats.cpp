#include "ringing/PingStats.h"

#include <cmath>
#include <cstdio>

namespace {

std::uint32_t Square(std::int16_t value) { return static_cast<std::uint32_t>(value * value); }

}  // namespace

void PingStats::Record(std::int16_t value) {
    sum += static_cast<std::uint32_t>(value);
    sumOfSquares += Square(value);

    // ">=" and "<=" make the newest of equal extremes the one reported.
    if (value >= max) {
        max = value;
        maxAge = 0;
    } else {
        ++maxAge;
    }
    if (value <= min) {
        min = value;
        minAge = 0;
    } else {
        ++minAge;
    }

    // The 101st sample takes the place of the oldest.
    newest_ = (newest_ + 1) % kWindow;
    bool rescan = false;
    if (count_ == kWindow) {
        const std::int16_t oldest = ring_[newest_];
        sum -= static_cast<std::uint32_t>(oldest);
        sumOfSquares -= Square(oldest);
        rescan = oldest >= max || oldest <= min;
    } else {
        ++count_;
    }
    ring_[newest_] = value;
    if (!rescan) return;

    // The dropped sample was an extreme: find both again. Strict comparisons
    // while walking from the newest keep the newest of equal values.
    max = 0;
    maxAge = 0;
    min = value;
    minAge = 0;
    for (std::size_t age = 0; age < count_; ++age) {
        const std::int16_t sample = Sample(age);
        if (sample > max) {
            max = sample;
            maxAge = static_cast<std::int32_t>(age);
        }
        if (sample < min) {
            min = sample;
            minAge = static_cast<std::int32_t>(age);
        }
    }
}

std::string PingStats::ColumnText() const {
    if (count_ == 0) return {};
    const auto n = static_cast<std::uint32_t>(count_);
    // The quotients are unsigned like the sums; they are shown as signed
    // numbers, so a wrapped sum shows as it is stored.
    const auto average = static_cast<std::int32_t>(sum / n);
    const auto rms = static_cast<std::int32_t>(IntegerSqrt(sumOfSquares / n));
    char text[80];
    std::snprintf(text, sizeof text, "%d (%d) %d %d %d (%d)", static_cast<int>(min), static_cast<int>(minAge),
                  static_cast<int>(average), static_cast<int>(rms), static_cast<int>(max), static_cast<int>(maxAge));
    return text;
}

std::uint32_t IntegerSqrt(std::uint32_t q) {
    // The floating-point root is off by at most one either way; settle it in
    // 64-bit integers.
    auto root = static_cast<std::uint64_t>(std::sqrt(static_cast<double>(q)));
    while (root * root > q) {
        --root;
    }
    while ((root + 1) * (root + 1) <= q) {
        ++root;
    }
    return static_cast<std::uint32_t>(root);
}
