#pragma once

namespace platform {

// Keeps the ALSA library, which SDL loads on Linux, from writing its
// complaints (no sound card, no default device) to the terminal. Holds ALSA
// loaded until the returned handle is given to ReleaseAlsa; null when ALSA is
// not installed, and then there is nothing to silence.
void* SilenceAlsaMessages();
void ReleaseAlsa(void* handle);

}  // namespace platform
