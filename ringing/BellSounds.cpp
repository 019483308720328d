#include "app/TowerWindow.h"

platform::SoundDeviceId TowerWindow::OpenBellSound(const std::string& fileName) {
    return platform::OpenSoundDevice(fileName);
}

// Restarts the bell's sound from its beginning. A device that fails to seek
// or play is closed, so that bell stays silent from then on; no message.
void TowerWindow::PlayBellSound(const SlotState& slot) {
    const auto found = sounds.find(slot.soundLabel);
    const platform::SoundDeviceId device = found == sounds.end() ? 0 : found->second;
    if (!platform::SeekSoundToStart(device)) {
        platform::CloseSoundDevice(device);
    }
    if (!platform::PlaySound(device)) {
        platform::CloseSoundDevice(device);
    }
}
