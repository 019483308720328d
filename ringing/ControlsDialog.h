// "Controls": how the mouse and the keyboard ring bells, which set of bell
// sounds plays and whether bell numbers show. Edits the main window's four
// settings, each the index of the chosen item of its combo box.
#pragma once

#include "platform/Controls.h"
#include "platform/Dialog.h"

class TowerWindow;

class ControlsDialog : public platform::Dialog {
public:
    ControlsDialog();

    void DoDataExchange() override;
    bool OnInitDialog() override;
    void OnOK() override;

    TowerWindow* window = nullptr;  // set by the caller before the dialog runs
    platform::ComboBox mouseCombo;
    platform::ComboBox keyboardCombo;
    platform::ComboBox bellsCombo;
    platform::ComboBox numbersCombo;
};
