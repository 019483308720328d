// The Bells dialog: the conductor picks a ringer for each bell from 1 up and
// names the conductor. OK writes the choice into the main window's ringer
// table and bell count; the Bells button then tells the server.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "platform/Controls.h"
#include "platform/Dialog.h"

class TowerWindow;

class BellsDialog : public platform::Dialog {
public:
    BellsDialog();

    void DoDataExchange() override;
    bool OnInitDialog() override;
    void OnOK() override;

    platform::ComboBox conductorCombo;
    platform::ComboBox bell9Combo;
    platform::ComboBox bell12Combo;
    platform::ComboBox bell11Combo;
    platform::ComboBox bell10Combo;
    platform::ComboBox bell8Combo;
    platform::ComboBox bell7Combo;
    platform::ComboBox bell6Combo;
    platform::ComboBox bell5Combo;
    platform::ComboBox bell4Combo;
    platform::ComboBox bell3Combo;
    platform::ComboBox bell2Combo;
    platform::ComboBox bell1Combo;
    TowerWindow* window = nullptr;                     // not owned; set before the dialog runs
    std::array<platform::ComboBox*, 12> bellCombos{};  // entry n - 1 for bell n

private:
    // Adds a ringer's name to a combo and remembers its bytes at the entry's
    // index: a name that is not valid UTF-8 shows with replacement characters
    // but is read back as the server sent it. Returns the index.
    int AddName(platform::ComboBox& combo, std::vector<std::string>& names, const std::string& name);
    // The name of the entry selected, as it was added; "" for none.
    static std::string Chosen(const platform::ComboBox& combo, const std::vector<std::string>& names);

    std::array<std::vector<std::string>, 12> bellNames;  // by bell, in entry order
    std::vector<std::string> conductorNames;
};
