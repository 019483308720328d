#include "app/TowerWindow.h"
#include "tower/BellsDialog.h"

// Whoever opens the Bells dialog conducts from then on, even after Cancel.
// The allocation goes to the server as one record per ringer; the bell
// buttons change when the server sends the records back, not here.
void TowerWindow::OnBellsButton() {
    session.AppointSelf();
    BellsDialog dialog;
    dialog.window = this;
    if (dialog.DoModal() != platform::IDOK) return;
    session.SendAllocation();
}
