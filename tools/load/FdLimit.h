// Raises the open-file limit for a run with many connections.
#pragma once

#include <string>

namespace load {

// Raises the soft limit as far as the system allows, to at least `needed`
// when it can. Returns an empty string when `needed` descriptors are
// available, else the reason they are not.
std::string RaiseDescriptorLimit(long needed);

}  // namespace load
