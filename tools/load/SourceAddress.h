// Spreads the tool's connections over several loopback source addresses.
// Each source address has its own range of ephemeral ports towards one
// server port, so more addresses allow more connections than the ~28,000
// that one address gives.
#pragma once

#include <string>

namespace load {

// Binds socket `fd`, before it connects, to 127.0.0.(1 + index % count),
// leaving the port to connect. Returns what went wrong, or nothing.
std::string BindSource(int fd, int index, int count);

}  // namespace load
