#include "lobby/JoinTowerDialog.h"

#include "app/TowerWindow.h"
#include "platform/MessageBox.h"
#include "resources/ResourceIds.h"
#include "resources/Templates.h"

JoinTowerDialog::JoinTowerDialog() : platform::Dialog(JoinTowerTemplate()) {
    MapDoubleClick(ids::IDC_TOWER_LIST, [this] { OnOK(); });
    MapCommand(ids::IDC_JOIN_RADIO, [this] { ShowJoinMode(); });
    MapCommand(ids::IDC_START_RADIO, [this] { ShowStartMode(); });
}

void JoinTowerDialog::DoDataExchange() {
    Bind(startRadio, ids::IDC_START_RADIO);
    Bind(joinRadio, ids::IDC_JOIN_RADIO);
    Bind(nameLabel, ids::IDC_NAME_LABEL);
    Bind(descriptionLabel, ids::IDC_DESCRIPTION_LABEL);
    Bind(startGroup, ids::IDC_START_GROUP);
    Bind(joinGroup, ids::IDC_JOIN_GROUP);
    Bind(userNameEdit, ids::IDC_USER_NAME);
    Bind(towerListView, ids::IDC_TOWER_LIST);
    Bind(towerNameEdit, ids::IDC_NEW_TOWER_NAME);
    Bind(descriptionEdit, ids::IDC_NEW_TOWER_DESCRIPTION);
}

bool JoinTowerDialog::OnInitDialog() {
    platform::Dialog::OnInitDialog();
    userNameEdit.SetWindowText(window->session.ownName);

    towerListView.InsertColumn(0, "Tower Name", 100);
    towerListView.InsertColumn(1, "Description", 200);
    // Towers announced while the dialog is open are not shown in it.
    listedTowers.clear();
    for (const auto& [name, towerDescription] : window->session.towerList) {
        const int row = towerListView.InsertItem(towerListView.GetItemCount(), name);
        towerListView.SetItemText(row, 1, towerDescription);
        listedTowers.push_back(name);
    }

    if (window->session.towerList.empty()) {
        ShowStartMode();
    } else {
        ShowJoinMode();
    }
    return true;
}

void JoinTowerDialog::ShowJoinMode() {
    startGroup.ShowWindow(false);
    nameLabel.ShowWindow(false);
    descriptionLabel.ShowWindow(false);
    towerNameEdit.ShowWindow(false);
    descriptionEdit.ShowWindow(false);
    joinGroup.ShowWindow(true);
    towerListView.ShowWindow(true);
    startRadio.SetCheck(false);
    joinRadio.SetCheck(true);
}

void JoinTowerDialog::ShowStartMode() {
    startGroup.ShowWindow(true);
    nameLabel.ShowWindow(true);
    descriptionLabel.ShowWindow(true);
    towerNameEdit.ShowWindow(true);
    descriptionEdit.ShowWindow(true);
    joinGroup.ShowWindow(false);
    towerListView.ShowWindow(false);
    startRadio.SetCheck(true);
    joinRadio.SetCheck(false);
}

void JoinTowerDialog::OnOK() {
    // Emptiness is the only test: what was typed stays for the user to fix.
    userName = userNameEdit.GetWindowText();
    if (userName.empty()) {
        platform::MessageBox("You must provide your name");
        return;
    }
    if (startRadio.GetCheck()) {
        towerName = towerNameEdit.GetWindowText();
        description = descriptionEdit.GetWindowText();
        startNew = true;
        if (towerName.empty()) {
            platform::MessageBox("You must provide a tower name");
            return;
        }
    } else {
        const int row = towerListView.GetSelectionMark();
        if (row == -1) {
            platform::MessageBox("Please select the tower to join");
            return;
        }
        towerName = listedTowers[static_cast<std::size_t>(row)];
        startNew = false;
    }
    platform::Dialog::OnOK();
}
