#include "app/TowerWindow.h"
#include "tower/BellsDialog.h"

namespace {

MessageBuffer RingerInfoMessage(std::uint16_t bellCount, const std::string& name, const std::string& bells,
                                bool conductor) {
    MessageBuffer message;
    message.Create(wire::ringerInfo::kSize, wire::ringerInfo::kType, wire::kThirdWord);
    message.PutU16(wire::ringerInfo::kBellCount, bellCount);
    message.PutString(wire::ringerInfo::kName, name);
    message.PutString(wire::ringerInfo::kBells, bells);
    message.PutU16(wire::ringerInfo::kConductor, conductor ? 1u : 0u);
    return message;
}

}  // namespace

// Whoever opens the Bells dialog conducts from then on, even after Cancel.
// The allocation goes to the server as one record per ringer; the bell
// buttons change when the server sends the records back, not here.
void TowerWindow::OnBellsButton() {
    Ringer& own = ringers.RingerFor(ownName);
    if (!own.conductor) {
        own.conductor = true;
        QueueMessage(RingerInfoMessage(bellCount, ownName, own.bells, true));
    }

    BellsDialog dialog;
    dialog.window = this;
    if (dialog.DoModal() != platform::IDOK) {
        return;
    }
    for (const auto& [key, ringer] : ringers.ringers) {
        QueueMessage(RingerInfoMessage(bellCount, ringer.name, ringer.bells, ringer.conductor));
    }
}
