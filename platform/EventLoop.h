// Running the event loop from code that is not inside it: tests, and the
// tools that drive a window.
#pragma once

#include <functional>

namespace platform {

// Handles events until the condition holds or the time is up; returns the condition.
bool PumpUntil(const std::function<bool()>& condition, int timeoutMs);
// Handles events for the given time.
void PumpFor(int milliseconds);

}  // namespace platform
