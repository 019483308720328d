// The Bells dialog: the conductor picks a ringer for each bell from 1 up and
// names the conductor. OK writes the choice into the main window's ringer
// table and bell count; the Bells button then tells the server.
#pragma once

#include <array>

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
    TowerWindow* window = nullptr;  // not owned; set before the dialog runs
    std::array<platform::ComboBox*, 12> bellCombos{};  // entry n - 1 for bell n
};
