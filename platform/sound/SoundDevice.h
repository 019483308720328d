#pragma once
// Sound devices: one WAV file per device, each a restartable voice. Seek and
// play return at once; the sounds of different devices are mixed together.
// Call these from one thread (the GUI thread); they never wait for the audio
// thread.
#include <cstdint>
#include <string>

namespace platform {

using SoundDeviceId = std::uint32_t;  // 0 means "no device"

// Decodes the file once and makes it a device. 0 when the file is missing or
// cannot be read as a WAV file, or when every device is taken; no message.
// Without a working audio output the device is still made and plays silently.
SoundDeviceId OpenSoundDevice(const std::string& wavFile);

// Moves the device to the start of its sound and stops it there.
// False for 0, an unknown or a closed device.
bool SeekSoundToStart(SoundDeviceId id);

// Plays from the current position without waiting for the end; a playing
// device goes on. False for 0, an unknown or a closed device.
bool PlaySound(SoundDeviceId id);

// Stops and forgets the device; seek and play on it fail from then on.
void CloseSoundDevice(SoundDeviceId id);

}  // namespace platform
