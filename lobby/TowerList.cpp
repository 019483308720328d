// The choice every run starts with: the towers the server lists, the
// Start/Join dialog, the request it sends, and the server's notices.
#include "app/TowerWindow.h"
#include "lobby/JoinTowerDialog.h"
#include "platform/MessageBox.h"

void TowerWindow::OnTowerListEntry(const wire::TowerListEntry& message) {
    // With no towers the server sends one entry with count 0 and no name.
    if (!message.name.empty()) towerList[std::string(message.name)] = message.description;
    // The count is signed: one above 32767 can never match the list.
    if (message.count == static_cast<std::ptrdiff_t>(towerList.size())) RunJoinDialog();
}

void TowerWindow::RunJoinDialog() {
    JoinTowerDialog dialog;
    dialog.window = this;
    // Socket notifications go on being handled while the dialog is open.
    if (dialog.DoModal() != platform::IDOK) {
        OnCancel();
        return;
    }
    ownName = dialog.userName;
    if (dialog.startNew) {
        QueueMessage(wire::Build(wire::StartTower{dialog.towerName, dialog.description, dialog.userName}));
    } else {
        QueueMessage(wire::Build(wire::JoinTower{dialog.towerName, dialog.userName}));
    }
}

void TowerWindow::OnServerNotice(const wire::ServerNotice& message) {
    platform::MessageBox(std::string(message.text));
    // Before entering a tower the user chooses again, from the same list.
    if (currentTower.empty()) RunJoinDialog();
}
