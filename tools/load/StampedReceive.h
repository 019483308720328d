// Reading with the kernel's receive time. A listener measured by when it got
// round to reading would add its own scheduling delay to what it measures;
// one process plays all the listeners here, so that delay would differ
// between them wherever the relay holds their copies for different times.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>

namespace load {

// Asks the kernel to stamp what `fd` receives; false when it cannot.
bool EnableReceiveStamps(int fd);

// recv(), and when the kernel received the last of the bytes read, on the
// CLOCK_MONOTONIC clock in nanoseconds (the time of the call if unstamped).
ssize_t ReceiveStamped(int fd, char* buffer, std::size_t size, std::uint64_t& receivedNs);

}  // namespace load
