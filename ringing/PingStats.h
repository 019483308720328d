// Round-trip statistics of one ringer: the last 100 pings that the ringer's
// client reported with its strikes, and their minimum, average, RMS and
// maximum as shown in the third column of the ringers list.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

struct PingStats {
    static constexpr std::size_t kWindow = 100;

    // The samples in a ring, so that recording one allocates nothing.
    std::size_t Count() const { return count_; }
    // The sample at this position, counted from the newest (0).
    std::int16_t Sample(std::size_t age) const { return ring_[(newest_ + kWindow - age) % kWindow]; }

    // Both sums wrap around at 32 bits; dropping a sample subtracts it again,
    // so they stay exact modulo 2^32 whatever has passed through them.
    std::uint32_t sum = 0;
    std::uint32_t sumOfSquares = 0;
    std::int32_t max = 0;
    std::int32_t maxAge = 0;  // position of max, counted from the newest
    std::int32_t min = 32767;
    std::int32_t minAge = 0;

    // Adds one reported ping. The caller has already dropped a 0 (nothing
    // measured) and samples for ringers who are not present.
    void Record(std::int16_t value);

    // "min (minAge) average rms max (maxAge)" in whole milliseconds; empty
    // while there is no sample.
    std::string ColumnText() const;

private:
    std::array<std::int16_t, kWindow> ring_{};
    std::size_t newest_ = kWindow - 1;  // the next sample goes to position 0
    std::size_t count_ = 0;
};

// The largest r with r * r <= q.
std::uint32_t IntegerSqrt(std::uint32_t q);
