// The choice every run starts with: the towers the server lists, the
// Start/Join dialog, the request it sends, and the server's notices.
#include "app/TowerWindow.h"
#include "lobby/JoinTowerDialog.h"

void TowerWindow::OnTowerListEntry(const wire::TowerListEntry& message) {
    if (session.OnTowerListEntry(message)) RunJoinDialog();
}

void TowerWindow::RunJoinDialog() {
    // One dialog at a time: a list or a notice that comes while it is open
    // finds the user choosing already.
    if (choosingTower) return;
    choosingTower = true;
    JoinTowerDialog dialog;
    dialog.window = this;
    // Socket notifications go on being handled while the dialog is open.
    const int result = dialog.DoModal();
    choosingTower = false;
    if (result != platform::IDOK) {
        OnCancel();
        return;
    }
    if (dialog.startNew) {
        session.StartTower(dialog.towerName, dialog.description, dialog.userName);
    } else {
        session.JoinTower(dialog.towerName, dialog.userName);
    }
}

void TowerWindow::OnServerNotice(const wire::ServerNotice& message) {
    // Before entering a tower the user chooses again, from the same list.
    Report(std::string(message.text), true);
}
