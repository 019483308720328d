#include "app/TowerWindow.h"

platform::SoundDeviceId TowerWindow::OpenBellSound(const std::string& fileName) {
    return platform::OpenSoundDevice(fileName);
}

void TowerWindow::AssignSoundLabels() {}
void TowerWindow::PlayBellSound(BellSlot&) {}
