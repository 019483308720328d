// Start/Join a Tower: the user gives a name and either picks a tower that the
// server listed or names a new one. The caller reads the result after OK.
#pragma once

#include <string>
#include <vector>

#include "platform/Controls.h"
#include "platform/Dialog.h"

class TowerWindow;

class JoinTowerDialog : public platform::Dialog {
public:
    JoinTowerDialog();

    void DoDataExchange() override;
    bool OnInitDialog() override;
    void OnOK() override;
    void ShowJoinMode();
    void ShowStartMode();

    platform::Button startRadio;
    platform::Button joinRadio;
    platform::StaticText nameLabel;
    platform::StaticText descriptionLabel;
    platform::Button startGroup;
    platform::Button joinGroup;
    platform::Edit userNameEdit;
    platform::ListView towerListView;
    platform::Edit towerNameEdit;
    platform::Edit descriptionEdit;
    TowerWindow* window = nullptr;  // not owned; set before the dialog runs
    std::string userName;
    std::string towerName;
    std::string description;
    bool startNew = false;

private:
    // The listed names as the server sent them, by row: a name that is not
    // valid UTF-8 shows with replacement characters but is joined by its bytes.
    std::vector<std::string> listedTowers;
};
