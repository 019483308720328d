#include "ringing/ControlsDialog.h"

#include "app/TowerWindow.h"
#include "resources/ResourceIds.h"
#include "resources/Templates.h"

ControlsDialog::ControlsDialog() : platform::Dialog(ControlsTemplate()) {}

void ControlsDialog::DoDataExchange() {
    Bind(mouseCombo, ids::IDC_MOUSE_COMBO);
    Bind(keyboardCombo, ids::IDC_KEYBOARD_COMBO);
    Bind(bellsCombo, ids::IDC_WEIGHT_COMBO);
    Bind(numbersCombo, ids::IDC_NUMBERS_COMBO);
}

bool ControlsDialog::OnInitDialog() {
    platform::Dialog::OnInitDialog();
    keyboardCombo.SetCurSel(window->keyboardControl);
    mouseCombo.SetCurSel(window->mouseControl);
    bellsCombo.SetCurSel(window->bellWeight);
    numbersCombo.SetCurSel(window->showNumbers);
    return true;
}

void ControlsDialog::OnOK() {
    window->keyboardControl = keyboardCombo.GetCurSel();
    window->mouseControl = mouseCombo.GetCurSel();
    window->bellWeight = bellsCombo.GetCurSel();
    window->showNumbers = numbersCombo.GetCurSel();
    platform::Dialog::OnOK();
}
