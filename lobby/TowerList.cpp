// The choice every run starts with: the towers the server lists, the
// Start/Join dialog, the request it sends, and the server's notices.
#include "app/TowerWindow.h"
#include "lobby/JoinTowerDialog.h"
#include "platform/MessageBox.h"

void TowerWindow::OnTowerListEntry(const MessageBuffer& message) {
    // Read as signed: a count above 32767 can never match the list.
    const auto count = static_cast<std::int16_t>(message.GetU16(wire::towerListEntry::kCount));
    const std::string name = message.GetString(wire::towerListEntry::kName);
    const std::string description = message.GetString(wire::towerListEntry::kDescription);
    // With no towers the server sends one entry with count 0 and no name.
    if (!name.empty()) towerList[name] = description;
    if (count == static_cast<std::ptrdiff_t>(towerList.size())) RunJoinDialog();
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
    MessageBuffer request;
    if (dialog.startNew) {
        request.Create(wire::startTower::kSize, wire::startTower::kType, wire::kThirdWord);
        request.PutString(wire::startTower::kTower, dialog.towerName);
        request.PutString(wire::startTower::kDescription, dialog.description);
        request.PutString(wire::startTower::kRinger, dialog.userName);
    } else {
        request.Create(wire::joinTower::kSize, wire::joinTower::kType, wire::kThirdWord);
        request.PutString(wire::joinTower::kTower, dialog.towerName);
        request.PutString(wire::joinTower::kRinger, dialog.userName);
    }
    QueueMessage(request);
}

void TowerWindow::OnServerNotice(const MessageBuffer& message) {
    platform::MessageBox(message.GetString(wire::serverNotice::kText));
    // Before entering a tower the user chooses again, from the same list.
    if (currentTower.empty()) RunJoinDialog();
}
