#include "app/TowerWindow.h"
#include "tower/BellsDialog.h"

// Whoever opens the Bells dialog conducts from then on, even after Cancel.
// The allocation goes to the server as one record per ringer; the bell
// buttons change when the server sends the records back, not here.
void TowerWindow::OnBellsButton() {
    Ringer& own = ringers.RingerFor(ownName);
    if (!own.conductor) {
        own.conductor = true;
        QueueMessage(wire::Build(wire::RingerInfo{bellCount, ownName, own.bells, true}));
    }

    BellsDialog dialog;
    dialog.window = this;
    if (dialog.DoModal() != platform::IDOK) {
        return;
    }
    for (const auto& [key, ringer] : ringers.ringers) {
        QueueMessage(wire::Build(wire::RingerInfo{bellCount, ringer.name, ringer.bells, ringer.conductor}));
    }
}
